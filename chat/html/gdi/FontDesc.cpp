#include "FontDesc.h"

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
