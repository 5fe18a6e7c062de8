#include "library/exchange/import/update_categories_no_mdi.h"

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

const QString kSection = QStringLiteral("UpdateCategoriesNoMDI");
const QString kIni = QStringLiteral("VORNIX.INI");

void BuildWindow(Window &window) {
  window.Add<LabelControl>(kNoMdiPrompt, QStringLiteral("&Category:"), QRect(6, 8, 44, 10));
  window.Add<EntryControl>(kNoMdiName, QRect(50, 6, 140, 12), CAT().Category.width)
      .Use([] { return CAT().Category.text(); }, [](const QString &value) { CAT().Category = value; });
  auto &sheet = window.Add<SheetControl>(kNoMdiSheet, QRect(4, 24, 292, 126));
  auto &general = window.Add<TabControl>(kNoMdiTabGeneral, sheet, QStringLiteral("General"));
  window.Add<LabelControl>(kNoMdiDescriptionPrompt, QStringLiteral("&Description:"), QRect(10, 44, 60, 10))
      .PlaceOnTab(&general);
  auto &memo = window.Add<TextControl>(kNoMdiDescription, QRect(10, 56, 280, 88), CAT().Description.width);
  memo.Use([] { return CAT().Description.text(); }, [](const QString &value) { CAT().Description = value; });
  memo.PlaceOnTab(&general);
  window.Add<ButtonControl>(kNoMdiOk, QStringLiteral("&OK"), QRect(196, 156, 46, 14));
  window.Add<ButtonControl>(kNoMdiCancel, QStringLiteral("Cancel"), QRect(250, 156, 46, 14));
}

// Redisplays the form; what the user typed is taken into the record first, so that the
// redisplay keeps it.
void Refresh(Window &window) {
  if (window.InAcceptAllPass())
    return;
  window.Find(kNoMdiName)->Update();
  window.Find(kNoMdiDescription)->Update();
  window.Display();
}

// Adds the new category; false (the form stays open) when it was refused.
bool AddCategory() {
  ADD(Categories());
  if (ERRORCODE() == 0)
    return true;
  if (ERRORCODE() == 40 && DUPLICATE(Categories().K_Category))
    ShowStandardMessage1(24, QStringLiteral("Category"));
  else
    ShowStandardMessage0(14);
  return false;
}

// The window of an insert or a change; returns the form's response.
int RunWindow(int request, const QString &savedKey) {
  WindowSpec spec(QStringLiteral("Update the Categories File"), WindowKind::Dialog, QRect(0, 0, 300, 176));
  spec.icon = ProgramIcon(QStringLiteral("CANADA.ICO"));
  Window window(spec);
  BuildWindow(window);
  window.Open();
  window.Display();
  RestoreWindowPosition(window, kSection, kIni);
  window.SetTitle(request == 1 ? QStringLiteral("Category Will Be Added")
                               : QStringLiteral("Category Will Be Changed"));
  window.SetDefaultButton(kNoMdiOk);
  window.SetCancelButton(kNoMdiCancel);
  int response = 2;
  bool firstSeen = false;
  while (window.Accept()) {
    const Event event = window.CurrentEvent();
    switch (event.kind) {
    case EventKind::OpenWindow:
    case EventKind::GainFocus:
    case EventKind::Sized:
      Refresh(window);
      if (event.kind == EventKind::OpenWindow || !firstSeen)
        window.Select(kNoMdiName);
      firstSeen = true;
      break;
    case EventKind::Rejected:
      ShowRejected(window, event.control);
      break;
    case EventKind::Completed:
      if (request == 1) {
        FinishAdd(window, AddCategory(), kNoMdiName, response);
      } else if (DUPLICATE(Categories().K_Category)) {
        ShowStandardMessage1(24, QStringLiteral("Category"));
        window.Select(kNoMdiName);
      } else {
        FinishWrite(window, WriteWithRetry([&savedKey] { return UpdateCategoryRecord(savedKey); }),
                    kNoMdiName, response);
      }
      break;
    default:
      if (event.control == kNoMdiSheet) {
        Refresh(window);
      } else if (event.kind == EventKind::Accepted && !window.InAcceptAllPass()) {
        if (event.control == kNoMdiOk) {
          window.AcceptAll();
        } else if (event.control == kNoMdiCancel) {
          response = 2;
          window.Post(EventKind::CloseWindow);
        }
      }
      break;
    }
  }
  SaveWindowPosition(window, kSection, kIni);
  window.Close();
  return response;
}

} // namespace

void UpdateCategoriesNoMDI() {
  ProcedureScope scope;
  FileUse categoryFile(Categories());
  const QString savedKey = CAT().Category.text();
  switch (scope.request) {
  case 1:
  case 2:
    scope.response = RunWindow(scope.request, savedKey);
    break;
  case 3:
    scope.response = ConfirmAndDelete(DeleteCategoryRecord);
    break;
  default:
    break;
  }
}

} // namespace vx
