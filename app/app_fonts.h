// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The window's two fonts, "Tahoma" for the list and "MS Sans Serif" for the buttons, both
/// 8.25 point bold. Where the system lacks a family, look-alike font files (Debian's
/// fonts-wine) are registered with the application first; where those are missing too, Qt's
/// matching falls back on the nearest sans-serif of the same size and weight. A bitmap font
/// cannot be made bold by Qt; the buttons' style draws it bold the way Windows does. On Windows
/// the buttons are drawn in Tahoma, where the system's MS Sans Serif is too large for them.
#pragma once

#include <QFont>
#include <QProxyStyle>
#include <QString>

namespace pelk {

/// Where Debian's fonts-wine puts its look-alikes of the classic Windows fonts.
inline constexpr char kLookAlikeFontFolder[] = "/usr/share/wine/fonts";

inline constexpr char kListFontFamily[] = "Tahoma";
inline constexpr char kButtonFontFamily[] = "MS Sans Serif";
inline constexpr double kControlFontPoints = 8.25;

/// Registers the look-alike files in `folder` for each of the two families the system lacks.
/// Returns the number of files registered. Needs a QGuiApplication.
int RegisterLookAlikeFonts(const QString &folder);

QFont ListFont();
QFont ButtonFont();

/// True when `font` asks for bold but will be drawn from a bitmap face, which Qt leaves regular.
bool NeedsOverstrike(const QFont &font);

/// Draws the item texts of bold bitmap fonts overstruck; everything else as the base style does.
class OverstrikeBoldStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette,
                      bool enabled, const QString &text,
                      QPalette::ColorRole textRole = QPalette::NoRole) const override;
};

} // namespace pelk
