#include "platform/ui/colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace ui {

namespace {

// The palette role that stands for each system colour on this desktop.
QColor systemColor(int index)
{
    const QPalette pal = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
    switch (index) {
    case 0x00: return pal.color(QPalette::Button);           // scroll bars
    case 0x01: return pal.color(QPalette::Window);           // desktop
    case 0x02: return pal.color(QPalette::Highlight);        // active title bar
    case 0x03: return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 0x04: return pal.color(QPalette::Window);           // menu bar
    case 0x05: return pal.color(QPalette::Base);             // window background
    case 0x06: return pal.color(QPalette::Shadow);           // window frame
    case 0x07: return pal.color(QPalette::WindowText);       // menu text
    case 0x08: return pal.color(QPalette::Text);             // window text
    case 0x09: return pal.color(QPalette::HighlightedText);  // title bar text
    case 0x0A: return pal.color(QPalette::Window);           // active border
    case 0x0B: return pal.color(QPalette::Window);           // inactive border
    case 0x0C: return pal.color(QPalette::Dark);             // application workspace
    case 0x0D: return pal.color(QPalette::Highlight);
    case 0x0E: return pal.color(QPalette::HighlightedText);
    case 0x0F: return pal.color(QPalette::Button);           // button face
    case 0x10: return pal.color(QPalette::Mid);              // button shadow
    case 0x11: return pal.color(QPalette::Disabled, QPalette::Text);
    case 0x12: return pal.color(QPalette::ButtonText);
    case 0x13: return pal.color(QPalette::Inactive, QPalette::WindowText);
    case 0x14: return pal.color(QPalette::Light);            // 3-D highlight
    case 0x15: return pal.color(QPalette::Shadow);           // 3-D dark shadow
    case 0x16: return pal.color(QPalette::Midlight);         // 3-D light
    case 0x17: return pal.color(QPalette::ToolTipText);
    case 0x18: return pal.color(QPalette::ToolTipBase);
    }
    return pal.color(QPalette::Window);
}

}  // namespace

QColor toQColor(long long value)
{
    const std::uint32_t v = std::uint32_t(value);
    if (isSystemColor(value)) return systemColor(int(v & 0xFF));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

VbColor fromQColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return RGB(c.red(), c.green(), c.blue());
}

}  // namespace ui
