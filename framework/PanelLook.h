#pragma once
// The colours of the framework's own surfaces (docks, caption bars, the
// menu bar's built-in titles, the drag outline) where no style picture
// covers them: one dark instrument panel.

#include <QColor>

namespace vs::look {

inline const QColor Panel{0x26, 0x29, 0x2e};
inline const QColor PanelLight{0x44, 0x4a, 0x52};
inline const QColor PanelShadow{0x10, 0x12, 0x15};
inline const QColor PanelDeep{0x17, 0x19, 0x1d};
inline const QColor CaptionTop{0x3c, 0x42, 0x4a};
inline const QColor CaptionBottom{0x24, 0x28, 0x2d};
inline const QColor CaptionInactive{0x2c, 0x2e, 0x31};
inline const QColor Text{0xdc, 0xe0, 0xe4};
inline const QColor TextDim{0x86, 0x8c, 0x94};
inline const QColor Accent{0xf0, 0xa8, 0x3c};

}  // namespace vs::look
