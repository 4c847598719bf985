// The paper sizes and trays of a queue's PPD, with the texts its maker gave
// them, in the user's language when the PPD has a translation. The
// scheduler's IPP answers carry only keywords; the PPD is where a queue's
// own names are.
#pragma once
#include <cups/cups.h>

#include <string>

#include "platform/print/shown_names_p.h"

namespace print {

// Empty lists when the server has no PPD for the queue (a raw queue, a
// printer reached directly) or it cannot be read.
TPpdChoices ReadPpdChoices(http_t* http, const std::string& queue);

}  // namespace print
