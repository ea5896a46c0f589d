#pragma once

#include <QString>

// Case folding for searches in a Turkish shop: 'I' pairs with 'ı' and 'İ'
// with 'i', so "ilk" finds "İlker" and "ışık" finds "IŞIK", while "isik"
// does not find "Işık". Other letters fold as usual.
QString turkishFold(QStringView text);
