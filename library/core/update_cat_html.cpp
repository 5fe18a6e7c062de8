#include "library/core/update_cat_html.h"

#include "library/core/dictionary.h"
#include "library/core/file_use.h"
#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/core/record_form_steps.h"
#include "library/core/referential_integrity.h"
#include "library/core/rejected_entry.h"
#include "library/core/standard_messages.h"
#include "library/core/window_position.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/window.h"

namespace vx {

namespace {

const QString kSection = QStringLiteral("UpdateCatHTML");
const QString kIni = QStringLiteral("VORNIX.INI");
const char kNewSnippetType[] = "Before Category";

struct SnippetType {
  int control;
  const char *radio;
  const char *value;
};

const SnippetType kTypes[] = {
    {kCatHtmlReplaceTitle, "&Replace Title", "Replace Title"},
    {kCatHtmlBeforeCategory, "&Before Category", "Before Category"},
    {kCatHtmlBeforeCategoryTitle, "Before &Category Title", "Before Category Title"},
    {kCatHtmlAfterCategoryTitle, "After Category &Title", "After Category Title"},
    {kCatHtmlAfterCategory, "&After Category", "After Category"},
};

void BuildWindow(Window &window) {
  auto &sheet = window.Add<SheetControl>(kCatHtmlSheet, QRect(4, 4, 292, 150));
  auto &tab = window.Add<TabControl>(kCatHtmlTab, sheet, QStringLiteral("HTML"));
  auto &group =
      window.Add<OptionControl>(kCatHtmlTypeGroup, QStringLiteral("Type Of HTML"), QRect(8, 22, 118, 84));
  group.Use([] { return HTM().TypeOfHTML.text(); }, [](const QString &value) { HTM().TypeOfHTML = value; });
  group.PlaceOnTab(&tab);
  int y = 34;
  for (const SnippetType &type : kTypes) {
    window
        .Add<RadioControl>(type.control, group, QString::fromLatin1(type.radio), QRect(12, y, 112, 12),
                           QString::fromLatin1(type.value))
        .PlaceOnTab(&tab);
    y += 14;
  }
  auto &text = window.Add<TextControl>(kCatHtmlText, QRect(130, 22, 160, 126), HTM().HTMLtoAdd.width);
  text.Use([] { return HTM().HTMLtoAdd.text(); }, [](const QString &value) { HTM().HTMLtoAdd = value; });
  text.PlaceOnTab(&tab);
  window.Add<LabelControl>(kCatHtmlHint1, QStringLiteral("Enter or Paste your"), QRect(10, 114, 110, 10))
      .PlaceOnTab(&tab);
  window.Add<LabelControl>(kCatHtmlHint2, QStringLiteral("HTML code here ->"), QRect(10, 126, 110, 10))
      .PlaceOnTab(&tab);
  window.Add<ButtonControl>(kCatHtmlOk, QStringLiteral("&OK"), QRect(196, 160, 46, 14));
  window.Add<ButtonControl>(kCatHtmlCancel, QStringLiteral("Cancel"), QRect(248, 160, 46, 14));
}

// ADD of a new snippet; false (the form stays open) when it was refused.
bool AddSnippet() {
  ADD(CatHTML());
  if (ERRORCODE() == 0)
    return true;
  if (ERRORCODE() == 40 && DUPLICATE(CatHTML().KeyCategoryHTML))
    ShowStandardMessage1(24, QStringLiteral("Category - Add HTML"));
  else
    ShowStandardMessage0(14);
  return false;
}

// The window of an insert or a change; returns the form's response.
int RunWindow(int request) {
  WindowSpec spec(QStringLiteral("Add HTML"), WindowKind::MdiChild, QRect(0, 0, 300, 180));
  spec.icon = ProgramIcon(QStringLiteral("VUDODU.ICO"));
  Window window(spec);
  BuildWindow(window);
  window.Open();
  RestoreWindowPosition(window, kSection, kIni);
  window.SetTitle(request == 1 ? QStringLiteral("Adding HTML") : QStringLiteral("Changing HTML"));
  window.SetDefaultButton(kCatHtmlOk);
  window.SetCancelButton(kCatHtmlCancel);
  int response = 2;
  bool firstSeen = false;
  while (window.Accept()) {
    const Event &event = window.CurrentEvent();
    switch (event.kind) {
    case EventKind::OpenWindow:
    case EventKind::GainFocus:
      if (!firstSeen) {
        firstSeen = true;
        if (!window.InAcceptAllPass())
          window.Display();
        window.Select(kCatHtmlReplaceTitle);
      } else {
        window.Display();
      }
      break;
    case EventKind::Rejected:
      ShowRejected(window, event.control);
      break;
    case EventKind::Completed:
      if (request == 1) {
        FinishAdd(window, AddSnippet(), kCatHtmlReplaceTitle, response);
        break;
      }
      FinishWrite(window, WriteWithRetry(UpdateCatHTMLRecord), kCatHtmlReplaceTitle, response);
      break;
    case EventKind::Accepted:
    case EventKind::NewSelection:
    case EventKind::TabChanging:
    case EventKind::Selected:
      if (event.control == kCatHtmlSheet) {
        window.Display();
      } else if (event.kind == EventKind::Accepted && event.control == kCatHtmlOk) {
        window.AcceptAll();
      } else if (event.kind == EventKind::Accepted && event.control == kCatHtmlCancel) {
        response = 2;
        window.Post(EventKind::CloseWindow);
      }
      break;
    default:
      break;
    }
  }
  SaveWindowPosition(window, kSection, kIni);
  window.Close();
  return response;
}

} // namespace

void UpdateCatHTML() {
  ProcedureScope scope;
  FileUse snippets(CatHTML());
  switch (scope.request) {
  case 1:
    HTM().Category = CAT().Category;
    HTM().TypeOfHTML = kNewSnippetType;
    scope.response = RunWindow(scope.request);
    break;
  case 2:
    scope.response = RunWindow(scope.request);
    break;
  case 3:
    scope.response = ConfirmAndDelete(DeleteCatHTMLRecord);
    break;
  default:
    break;
  }
}

} // namespace vx
