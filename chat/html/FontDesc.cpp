#include "FontDesc.h"

bool operator==(const FontDesc& a, const FontDesc& b)
{
    return a.height == b.height && a.weight == b.weight && a.italic == b.italic &&
           a.underline == b.underline && a.strikeOut == b.strikeOut && a.face == b.face;
}

bool operator!=(const FontDesc& a, const FontDesc& b)
{
    return !(a == b);
}

FontDesc defaultDocumentFont()
{
    FontDesc d;
    d.height = 18;
    return d;
}

FontDesc FontDescFromDC(HDC hdc)
{
    FontDesc d;
    TEXTMETRICA tm = {};
    if (GetTextMetricsA(hdc, &tm))
    {
        d.height = tm.tmHeight;
        d.weight = tm.tmWeight;
        d.italic = tm.tmItalic ? 1 : 0;
        d.underline = tm.tmUnderlined ? 1 : 0;
        d.strikeOut = tm.tmStruckOut ? 1 : 0;
    }
    char face[51] = {};
    if (GetTextFaceA(hdc, sizeof face, face) > 0)
        d.face = face;
    return d;
}
