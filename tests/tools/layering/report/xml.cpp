#include "report/xml.h"

#include <cairo-pdf.h>              // expect: platform-only
#include <cups/cups.h>              // expect: platform-only
#include <fontconfig/fontconfig.h>  // expect: platform-only
#include <ft2build.h>               // expect: platform-only
#include <hb.h>                     // expect: platform-only
#include <pthread.h>                // expect: platform-only
#include <sys/mman.h>               // expect: platform-only
#include <zlib.h>

#include <QString>            // expect: platform-only
#include <QtWidgets/QDialog>  // expect: platform-only
#include <vector>
#include FT_FREETYPE_H  // expect: platform-only

#include <X11/Xlib.h>              // expect: platform-only
#include <cxxabi.h>                // expect: platform-only
#include <gtk/gtk.h>               // expect: platform-only
#include <platform/rtl/strings.h>  // expect: angle

#include "app/window.h"             // expect: layer
#include "comm/line.h"              // expect: layer
#include "platform/rtl/blocks_p.h"  // expect: internal
