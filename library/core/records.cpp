#include "library/core/records.h"

#include "library/runtime/windows/thread_store.h"

namespace vx {

namespace {

struct RecordBuffers {
  SiteRecord url;
  CategoryRecord cat;
  CatHtmlRecord htm;
  HistoryRecord his;
  OldSiteRecord ol;
  OldCategoryRecord oc;
  OldCatHtmlRecord oh;
  SiteRecord iloc;
};

RecordBuffers &Buffers() {
  return PerThread<RecordBuffers>();
}

} // namespace

SiteRecord &URL() {
  return Buffers().url;
}
CategoryRecord &CAT() {
  return Buffers().cat;
}
CatHtmlRecord &HTM() {
  return Buffers().htm;
}
HistoryRecord &HIS() {
  return Buffers().his;
}
OldSiteRecord &OL() {
  return Buffers().ol;
}
OldCategoryRecord &OC() {
  return Buffers().oc;
}
OldCatHtmlRecord &OH() {
  return Buffers().oh;
}
SiteRecord &ILOC() {
  return Buffers().iloc;
}

} // namespace vx
