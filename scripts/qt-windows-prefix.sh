# Sourced by the Windows scripts: where the cross-built Qt lives. Its version
# is the host Qt tools' (qt6-base-dev-tools), which its build runs.
QT_DEBIAN_VERSION=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)
QT_UPSTREAM_VERSION=${QT_DEBIAN_VERSION%%+*}
TAVREL_QT_WINDOWS=${TAVREL_QT_WINDOWS:-$HOME/.cache/tavrel/qt-${QT_UPSTREAM_VERSION:-none}-mingw}
