#include "Resources.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QSettings>
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
#ifdef _WIN32
    // The dialog font that "MS Shell Dlg 2" stands for (Tahoma), else the
    // system's message font. A Wine prefix without Windows' fonts may have
    // neither: Qt then falls back on any font, so take one it really has.
    const QSettings substitutes(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes"),
        QSettings::NativeFormat);
    const QString faces[] = {substitutes.value(QStringLiteral("MS Shell Dlg 2")).toString(),
                             QGuiApplication::font().family(), QStringLiteral("Liberation Sans"),
                             QStringLiteral("Arial")};
    for (const QString& face : faces) {
        const QFont font(face, 8);
        if (!face.isEmpty() && QFontInfo(font).family().compare(face, Qt::CaseInsensitive) == 0)
            return font;
    }
#endif
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
