#include "components/TurkishText.h"

QString turkishFold(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'I')
            out += QChar(0x0131); // ı
        else if (c == QChar(0x0130))
            out += u'i';          // İ
        else
            out += c.toLower();
    }
    return out;
}
