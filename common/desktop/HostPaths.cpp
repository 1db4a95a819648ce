#include "HostPaths.h"

#include <QCoreApplication>
#include <QFile>

namespace desktop {

QString PathToQt(const std::string& path) {
#ifdef _WIN32
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

std::string PathFromQt(const QString& path) {
#ifdef _WIN32
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

std::string ProgramFile() {
    return PathFromQt(QCoreApplication::applicationFilePath());
}

}  // namespace desktop
