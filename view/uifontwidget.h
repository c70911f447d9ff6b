// The program's fonts: "Segoe UI" where the desktop has it, else the desktop's own sans-serif.
#pragma once

#include <QFont>
#include <QFontDatabase>

inline QFont uiFont(int pointSize)
{
    static const QString family = QFontDatabase::hasFamily(QStringLiteral("Segoe UI"))
        ? QStringLiteral("Segoe UI")
        : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont font(family);
    font.setPointSize(pointSize);
    return font;
}
