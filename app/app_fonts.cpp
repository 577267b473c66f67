// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_fonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPaintDevice>
#include <QPainter>

#include <array>

namespace pelk {
namespace {

struct LookAlike {
    const char *family;
    const char *file;
};

// Regular faces only. The folder's tahomabd.ttf is bold in name but drawn with the regular
// strokes, only wider; from tahoma.ttf alone Qt synthesises a bold that reads as bold.
// ms_sans_serif.ttf holds bitmaps only, which Qt does not embolden: OverstrikeBoldStyle does.
constexpr std::array kLookAlikes{
    LookAlike{kListFontFamily, "tahoma.ttf"},
    LookAlike{kButtonFontFamily, "ms_sans_serif.ttf"},
};

QFont BoldFont(const char *family) {
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(kControlFontPoints);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

int RegisterLookAlikeFonts(const QString &folder) {
    int registered = 0;
    const QDir dir(folder);
    for (const LookAlike &lookAlike : kLookAlikes) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(lookAlike.family)))
            continue;
        const QString path = dir.filePath(QString::fromLatin1(lookAlike.file));
        if (QFileInfo::exists(path) && QFontDatabase::addApplicationFont(path) != -1)
            ++registered;
    }
    return registered;
}

QFont ListFont() {
    return BoldFont(kListFontFamily);
}

QFont ButtonFont() {
#ifdef Q_OS_WIN
    // Windows' own MS Sans Serif is a bitmap face whose smallest strike is 13 pixels high: the
    // labels drawn bold from it are wider than their buttons. Windows' own dialogs have drawn
    // their controls in Tahoma instead since Windows 2000 ("MS Shell Dlg 2"); so do these,
    // in the list's own font.
    return ListFont();
#else
    return BoldFont(kButtonFontFamily);
#endif
}

bool NeedsOverstrike(const QFont &font) {
    if (font.weight() < QFont::Bold)
        return false;
    const QFontInfo drawn(font);
    return !QFontDatabase::isSmoothlyScalable(drawn.family(), drawn.styleName());
}

void OverstrikeBoldStyle::drawItemText(QPainter *painter, const QRect &rect, int flags,
                                       const QPalette &palette, bool enabled, const QString &text,
                                       QPalette::ColorRole textRole) const {
    if (!NeedsOverstrike(painter->font())) {
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
        return;
    }
    painter->save();
    if (painter->device()->devicePixelRatioF() != 1.0) {
        // A bitmap face has no glyphs for a scaled screen: draw with the scalable look-alike.
        QFont scalable = ListFont();
        scalable.setPointSizeF(painter->font().pointSizeF());
        painter->setFont(scalable);
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
    } else {
        // As Windows draws a bitmap font in bold: each glyph twice, a pixel apart, a pixel wider.
        QFont spaced = painter->font();
        spaced.setLetterSpacing(QFont::AbsoluteSpacing, 1);
        painter->setFont(spaced);
        QProxyStyle::drawItemText(painter, rect.adjusted(0, 0, -1, 0), flags, palette, enabled,
                                  text, textRole);
        QProxyStyle::drawItemText(painter, rect.adjusted(1, 0, 0, 0), flags, palette, enabled, text,
                                  textRole);
    }
    painter->restore();
}

} // namespace pelk
