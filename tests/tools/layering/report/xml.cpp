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

#include "app/window.h"             // expect: layer
#include "platform/rtl/blocks_p.h"  // expect: internal
