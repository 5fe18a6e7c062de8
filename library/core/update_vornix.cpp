#include "library/core/update_vornix.h"

#include "library/core/control_scaling.h"
#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/core/referential_integrity.h"
#include "library/core/rejected_entry.h"
#include "library/core/standard_messages.h"
#include "library/core/window_position.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_view.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/window.h"

#include <QGuiApplication>
#include <algorithm>

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kSection = QStringLiteral("UpdateVORNIX");
const QString kSignature = QStringLiteral("714334612808");

class WaitCursor {
public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

// The names of the Categories file for the form's drop list: sorted without regard to case,
// without repeats, leaving out the two pseudo-categories that carry the export's snippets.
// The Categories record buffer is left as it was. False after a read error (message 35
// shown); the names read so far are kept.
bool ReadCategoryNames(QStringList &names) {
  CategoryRecord &cat = CAT();
  const CategoryRecord kept = cat;
  View view(Categories());
  view.setPhysicalOrder();
  view.setFilter(RecordFilter<CategoryRecord>([](const CategoryRecord &record) {
    const QString name = LOWER(record.Category.clipped());
    return name != QLatin1String("_before all") && name != QLatin1String("_after all");
  }));
  SET(view);
  OPEN(view);
  if (ERRORCODE() != 0)
    ShowStandardMessage0(36);
  bool ok = true;
  auto before = [](const QString &a, const QString &b) {
    const QString ua = UPPER(a), ub = UPPER(b);
    return ua != ub ? ua < ub : a < b;
  };
  for (;;) {
    NEXT(view);
    if (ERRORCODE() == 33)
      break;
    if (ERRORCODE() != 0) {
      ShowStandardMessage1(35, QStringLiteral("Categories"));
      ok = false;
      break;
    }
    const QString name = cat.Category.clipped();
    const auto at = std::lower_bound(names.begin(), names.end(), name, before);
    if (at == names.end() || *at != name)
      names.insert(at, name);
  }
  CLOSE(view);
  cat = kept;
  return ok;
}

void AddControls(Window &window, SiteRecord &url) {
  auto &sheet = window.Add<SheetControl>(kUpdateSheet, QRect(4, 4, 292, 150));
  auto &general = window.Add<TabControl>(kUpdateTabGeneral, sheet, QStringLiteral("General"));
  auto &siteInfo = window.Add<TabControl>(kUpdateTabSiteInfo, sheet, QStringLiteral("Site Info"));
  auto onGeneral = [&](Control &control) { control.PlaceOnTab(&general); };
  onGeneral(
      window.Add<LabelControl>(kUpdateLocationPrompt, QStringLiteral("&Location:"), QRect(12, 26, 48, 10)));
  auto &location = window.Add<EntryControl>(kUpdateLocation, QRect(64, 24, 224, 12), 255);
  location.Use([&url] { return url.Location.clipped(); }, [&url](const QString &v) { url.Location = v; });
  onGeneral(location);
  onGeneral(window.Add<LabelControl>(kUpdateDescriptionPrompt, QStringLiteral("&Description:"),
                                     QRect(12, 44, 48, 10)));
  auto &description = window.Add<EntryControl>(kUpdateDescription, QRect(64, 42, 224, 12), 100);
  description.Use([&url] { return url.Description.clipped(); },
                  [&url](const QString &v) { url.Description = v; });
  onGeneral(description);
  onGeneral(
      window.Add<LabelControl>(kUpdateCategoryPrompt, QStringLiteral("&Category:"), QRect(12, 62, 48, 10)));
  auto &category = window.Add<DropListControl>(kUpdateCategory, QRect(64, 60, 124, 12));
  category.SetFormat(QStringLiteral("120L(1)M~Category~L(0)@s30@"));
  category.Use([&url] { return url.Category.clipped(); }, [&url](const QString &v) { url.Category = v; });
  onGeneral(category);
  onGeneral(window.Add<LabelControl>(kUpdateRatingPrompt, QStringLiteral("&Rating:"), QRect(12, 80, 48, 10)));
  auto &rating = window.Add<EntryControl>(kUpdateRating, QRect(64, 78, 24, 12));
  rating.SetPicture(QStringLiteral("@n2"));
  rating.SetRange(0, 99);
  rating.Use([&url] { return QString::number(url.Rating); },
             [&url](const QString &v) { url.Rating = v.trimmed().toInt(); });
  onGeneral(rating);
  onGeneral(
      window.Add<LabelControl>(kUpdateKeywordPrompt, QStringLiteral("&Keyword:"), QRect(12, 98, 48, 10)));
  auto &keyword = window.Add<EntryControl>(kUpdateKeyword, QRect(64, 96, 60, 12), 10);
  keyword.Use([&url] { return url.Keyword.clipped(); }, [&url](const QString &v) { url.Keyword = v; });
  onGeneral(keyword);
  auto &infoPrompt =
      window.Add<LabelControl>(kUpdateSiteInfoPrompt, QStringLiteral("Site Info:"), QRect(12, 26, 48, 10));
  infoPrompt.PlaceOnTab(&siteInfo);
  auto &info = window.Add<TextControl>(kUpdateSiteInfo, QRect(12, 38, 276, 110), 1000);
  info.Use([&url] { return url.SiteInfo.text(); }, [&url](const QString &v) { url.SiteInfo = v; });
  info.SetTip(QStringLiteral("Information about site"));
  info.PlaceOnTab(&siteInfo);
  window.Add<ButtonControl>(kUpdateOk, QStringLiteral("&OK"), QRect(186, 160, 50, 14));
  window.Add<ButtonControl>(kUpdateCancel, QStringLiteral("Cancel"), QRect(242, 160, 50, 14));
  window.SetDefaultButton(kUpdateOk);
  window.SetCancelButton(kUpdateCancel);
}

// Deletes the site in the buffer after message 32; answers 1 when it was deleted.
int DeleteSite() {
  if (ShowStandardMessage0(32) != BUTTON_OK)
    return 2;
  for (;;) {
    int failed;
    {
      WaitCursor wait;
      failed = DeleteSiteRecord();
    }
    if (failed == 0)
      return 1;
    if (ShowStandardMessage0(18) != BUTTON_YES)
      return 2;
  }
}

// The running form: its window, the category names and the request it serves.
class SiteForm {
public:
  SiteForm(Window &window, SiteRecord &url, CategoryRecord &cat, int request)
      : window_(window), url_(url), cat_(cat), request_(request) {}

  int response = 2;

  void Redisplay() {
    if (!window_.InAcceptAllPass())
      window_.Display();
  }

  void FillCategoryList() {
    QStringList names;
    if (!ReadCategoryNames(names))
      window_.Post(EventKind::CloseWindow);
    auto &list = window_.Get<DropListControl>(kUpdateCategory);
    list.SetItems(names);
    names_ = names;
    if (names.isEmpty()) {
      url_.Category.clear();
    } else if (!url_.Category.isBlank()) {
      // A site filed under a case variant of a category's name takes that category's name.
      const auto found = FindCategoryName();
      if (found != names_.cend())
        url_.Category = *found;
      list.SetText(url_.Category.clipped());
    }
  }

  // The category name in the list that the site's category names, whatever its letter case.
  QStringList::const_iterator FindCategoryName() const {
    const QString wanted = UPPER(url_.Category.clipped());
    return std::find_if(names_.cbegin(), names_.cend(),
                        [&wanted](const QString &name) { return UPPER(name) == wanted; });
  }

  void ProposeKeywordIfBlank() {
    if (!url_.Keyword.isBlank() || request_ != 1)
      return;
    url_.Keyword = ProposeKeyword(url_.Location.clipped());
    window_.Display(kUpdateKeyword);
  }

  void CheckCategory() {
    const auto found = FindCategoryName();
    if (found != names_.cend())
      url_.Category = *found;
    else
      window_.Select(kUpdateCategory);
    cat_.Category = url_.Category.text();
    GET(Categories().K_Category);
    if (ERRORCODE() != 0) {
      ShowStandardMessage(11, QStringLiteral("URL:Category"), QStringLiteral("Categories"));
      window_.Select(kUpdateCategory);
    }
  }

  void Write() {
    if (request_ == 1) {
      ADD(VORNIX());
      const int code = ERRORCODE();
      if (code == 0) {
        response = 1;
        window_.Post(EventKind::CloseWindow);
        return;
      }
      if (code == 40)
        ShowStandardMessage1(24, QStringLiteral("Site Location"));
      else
        ShowStandardMessage0(14);
      window_.Select(kUpdateLocation);
      return;
    }
    if (request_ != 2)
      return;
    for (;;) {
      response = 2;
      int failed;
      {
        WaitCursor wait;
        failed = UpdateSiteRecord();
      }
      if (failed == 0) {
        response = 1;
        window_.Post(EventKind::CloseWindow);
        return;
      }
      const int answer = ShowStandardMessage0(16);
      if (answer == BUTTON_YES)
        continue;
      if (answer == BUTTON_NO) {
        window_.Post(EventKind::CloseWindow);
      } else {
        window_.Display();
        window_.Select(kUpdateLocation);
      }
      return;
    }
  }

private:
  Window &window_;
  SiteRecord &url_;
  CategoryRecord &cat_;
  int request_;
  QStringList names_;
};

} // namespace

QString ProposeKeyword(const QString &location) {
  const int scheme = location.indexOf(QLatin1String("://"));
  if (scheme >= 0)
    return location.left(scheme).left(10);
  if (location.contains(QLatin1String("mailto:")))
    return QStringLiteral("mailto:");
  return QStringLiteral("?");
}

void UpdateVORNIX() {
  ProcedureScope scope;
  const int request = scope.request;
  SiteRecord &url = URL();
  CategoryRecord &cat = CAT();
  TakeFile(Categories());
  TakeFile(VORNIX());
  if (request == 3) {
    scope.response = DeleteSite();
    ReleaseFile(Categories());
    ReleaseFile(VORNIX());
    return;
  }
  cat.Category = url.Category.text();
  GET(Categories().K_Category);
  cat.Category = url.Category.text();

  WindowSpec spec(QStringLiteral("Update Location Information"), WindowKind::MdiChild, QRect(0, 0, 300, 180));
  spec.icon = ProgramIcon(QStringLiteral("VUDODU.ICO"));
  spec.minimum = spec.at.size(); // the controls scale with the window: smaller would cut their texts
  Window window(spec);
  AddControls(window, url);
  SiteForm form(window, url, cat, request);
  window.Open();
  ControlScaling scaling(window, kSection, kSignature, kUpdateTabSiteInfo);
  scaling.Init();
  cat.Category = url.Category.text();
  if (request == 1)
    window.SetTitle(QStringLiteral("Adding Location"));
  else if (request == 2)
    window.SetTitle(QStringLiteral("Changing Location"));
  bool opened = false;

  while (window.Accept()) {
    const Event &event = window.CurrentEvent();
    switch (event.kind) {
    case EventKind::OpenWindow:
      form.FillCategoryList();
      if (!opened) {
        opened = true;
        form.Redisplay();
      }
      window.Select(kUpdateLocation);
      continue;
    case EventKind::GainFocus:
      form.Redisplay();
      continue;
    case EventKind::Sized:
      scaling.Apply();
      form.Redisplay();
      continue;
    case EventKind::Rejected:
      ShowRejected(window, event.control);
      continue;
    case EventKind::CloseWindow:
      SaveWindowPosition(window, kSection, kIni);
      continue;
    case EventKind::Completed:
      form.Write();
      continue;
    default:
      break;
    }
    if (event.control == kUpdateSheet) {
      form.Redisplay();
      continue;
    }
    if (event.kind != EventKind::Accepted)
      continue;
    switch (event.control) {
    case kUpdateLocation:
      form.ProposeKeywordIfBlank();
      break;
    case kUpdateCategory:
      form.CheckCategory();
      break;
    case kUpdateOk:
      if (request == 1 || request == 2)
        window.AcceptAll();
      else
        window.Post(EventKind::Completed);
      break;
    case kUpdateCancel:
      form.response = 2;
      window.Post(EventKind::CloseWindow);
      break;
    default:
      break;
    }
  }

  ReleaseFile(Categories());
  ReleaseFile(VORNIX());
  window.Close();
  scope.response = form.response;
}

} // namespace vx
