#include <QKeySequence>

#include "platform/gui/qt_bridge_p.h"
#include "platform/gui/types.h"

namespace gui {

TShortCut TextToShortCut(const AnsiString& text) {
  QKeySequence seq = QKeySequence::fromString(detail::ToQ(text), QKeySequence::PortableText);
  if (seq.isEmpty()) return 0;
  QKeyCombination k = seq[0];
  Word key = detail::KeyCodeOf(k.key());
  if (key == 0) return 0;
  TShortCut sc = key;
  if (k.keyboardModifiers() & Qt::ShiftModifier) sc |= scShift;
  if (k.keyboardModifiers() & Qt::ControlModifier) sc |= scCtrl;
  if (k.keyboardModifiers() & Qt::AltModifier) sc |= scAlt;
  return sc;
}

}  // namespace gui
