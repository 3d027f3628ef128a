#include "platform/richedit/RichTextFormat.h"

#include "platform/richedit/ByteIndex.h"

#include <QBrush>
#include <QFont>
#include <cmath>

COLORREF RichTextFormat::ToColorRef(const QColor& c)
{
    return RGB(BYTE(c.red()), BYTE(c.green()), BYTE(c.blue()));
}

QColor RichTextFormat::ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

bool RichTextFormat::HasColor(const QTextCharFormat& f)
{
    return f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush;
}

QTextCharFormat RichTextFormat::FromRun(const RtfRun& run)
{
    QTextCharFormat f;
    if (run.hasColor)
        f.setForeground(ToQColor(run.color));
    if (!run.face.empty())
        f.setFontFamilies({ByteIndex::Decode(run.face)});
    if (run.charSet != 1)
        f.setProperty(kCharSetProperty, int(run.charSet));
    if (run.halfPoints > 0)
        f.setFontPointSize(run.halfPoints / 2.0);
    if (run.bold)
        f.setFontWeight(QFont::Bold);
    if (run.italic)
        f.setFontItalic(true);
    return f;
}

RtfRun RichTextFormat::ToRun(const QTextCharFormat& f)
{
    RtfRun run;
    run.hasColor = HasColor(f);
    if (run.hasColor)
        run.color = ToColorRef(f.foreground().color());
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty())
        run.face = ByteIndex::Encode(families.first());
    if (f.hasProperty(kCharSetProperty))
        run.charSet = BYTE(f.intProperty(kCharSetProperty));
    if (f.hasProperty(QTextFormat::FontPointSize))
        run.halfPoints = int(std::lround(f.fontPointSize() * 2));
    run.bold = f.hasProperty(QTextFormat::FontWeight) && f.fontWeight() >= QFont::Bold;
    run.italic = f.fontItalic();
    return run;
}

QTextCharFormat RichTextFormat::FromMasked(const CharFormat& format)
{
    QTextCharFormat f;
    if (format.mask & CFM_COLOR) {
        if (format.effects & CFE_AUTOCOLOR)
            f.setForeground(QBrush());
        else
            f.setForeground(ToQColor(format.color));
    }
    if (format.mask & CFM_FACE)
        f.setFontFamilies({ByteIndex::Decode(format.face)});
    if ((format.mask & CFM_SIZE) && format.heightTwips > 0)
        f.setFontPointSize(format.heightTwips / 20.0);
    if (format.mask & CFM_CHARSET)
        f.setProperty(kCharSetProperty, int(format.charSet));
    if (format.mask & CFM_BOLD)
        f.setFontWeight((format.effects & CFE_BOLD) ? QFont::Bold : QFont::Normal);
    if (format.mask & CFM_ITALIC)
        f.setFontItalic((format.effects & CFE_ITALIC) != 0);
    return f;
}
