#include <unistd.h>

#include "platform/print/ppd_choices_p.h"

// The PPD calls are marked deprecated by CUPS, yet the scheduler still keeps
// a PPD for every queue it makes, and nothing else holds the queue's texts.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

namespace print {

namespace {

// The PPD file the server sent, closed and its temporary copy removed.
struct PpdFile {
  ppd_file_t* ppd = nullptr;
  PpdFile(http_t* http, const std::string& queue) {
    char path[1024] = "";
    time_t modified = 0;
    const http_status_t status = cupsGetPPD3(http, queue.c_str(), &modified, path, sizeof path);
    if (status == HTTP_STATUS_OK) ppd = ppdOpenFile(path);
    if (path[0]) unlink(path);
    if (ppd) ppdLocalize(ppd);
  }
  ~PpdFile() {
    if (ppd) ppdClose(ppd);
  }
  PpdFile(const PpdFile&) = delete;
  PpdFile& operator=(const PpdFile&) = delete;
};

constexpr double kMMPerPoint = 25.4 / 72;

}  // namespace

TPpdChoices ReadPpdChoices(http_t* http, const std::string& queue) {
  TPpdChoices out;
  PpdFile file(http, queue);
  if (!file.ppd) return out;
  if (ppd_option_t* sizes = ppdFindOption(file.ppd, "PageSize")) {
    for (int i = 0; i < sizes->num_choices; ++i) {
      const ppd_choice_t& c = sizes->choices[i];
      const ppd_size_t* size = ppdPageSize(file.ppd, c.choice);
      if (!size || size->width <= 0 || size->length <= 0) continue;
      TPpdChoice choice{c.choice, c.text, "", size->width * kMMPerPoint, size->length * kMMPerPoint};
      if (pwg_media_t* pwg = pwgMediaForPPD(c.choice)) choice.Keyword = pwg->pwg;
      out.PageSizes.push_back(choice);
    }
  }
  if (ppd_option_t* slots = ppdFindOption(file.ppd, "InputSlot")) {
    for (int i = 0; i < slots->num_choices; ++i) {
      const ppd_choice_t& c = slots->choices[i];
      out.InputSlots.push_back({c.choice, c.text, InputSlotKeyword(c.choice), 0, 0});
    }
  }
  return out;
}

}  // namespace print

#pragma GCC diagnostic pop
