#include "HostPaths.h"

#include <QCoreApplication>
#include <QFile>

#include "HostText.h"

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

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return base::CommandLineArguments(argc, argv);
}

std::string EnvironmentPath(const char* name) {
    return base::EnvironmentVariable(name);
}

}  // namespace desktop
