#pragma once
// What the README's screenshot tools share: the screen font and a Dolvb on
// one folder used as program and data folder, with messages that answer
// いいえ silently (a screenshot never waits on a box).
#include "storage/dolvb.h"
#include "storage/text.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace kpv::shot {

struct Silent : Messages {
    bool ask(const QString &, const QString &) override { return false; }
    void tell(const QString &, const QString &) override {}
};

inline void useScreenFont()
{
    for (const QString &family : {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")}) {
        if (QFontDatabase::hasFamily(family)) {
            QFont f(family);
            f.setPointSize(10);
            QApplication::setFont(f);
            return;
        }
    }
}

struct World {
    Silent messages;
    NoBusyPointer pointer;
    Dolvb d{messages, pointer};
    explicit World(const char *folder)
    {
        d.clientFolder = d.dataFolder = normalizeFolderPath(QString::fromLocal8Bit(folder) + QLatin1Char('/'));
        d.appTitle = QStringLiteral("KPV予備品管理");
    }
};

} // namespace kpv::shot
