#include "Resources.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QString>

#include "Version.h"

// Q_INIT_RESOURCE declares the registration function in the enclosing scope, so it
// has to be used outside the namespace.
static void initTavrelResources()
{
    Q_INIT_RESOURCE(tavrel);
}

namespace tavrel {

void initResources()
{
    initTavrelResources();
}

QFont layoutFont()
{
    return QFont(QStringLiteral("Liberation Sans"), 8);
}

void setApplicationMetadata()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tavrel"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(tavrel::kVersionText));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/tavrel.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tavrel.tavrel"));
}

} // namespace tavrel
