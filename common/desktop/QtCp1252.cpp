#include "QtCp1252.h"

#include "Cp1252.h"

namespace desktop {

QString FromCp1252(std::string_view bytes) {
    // Called for every visible cell: filled in place, without a UTF-16 string in between.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = QChar(static_cast<char16_t>(base::Cp1252Char(static_cast<unsigned char>(bytes[i]))));
    return text;
}

namespace {

std::u16string_view Utf16(const QString& text) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                               static_cast<std::size_t>(text.size()));
}

}  // namespace

std::string ToCp1252(const QString& text) {
    return base::Utf16ToCp1252(Utf16(text));
}

bool FitsCp1252(const QString& text) {
    bool lossless = true;
    base::Utf16ToCp1252(Utf16(text), &lossless);
    return lossless;
}

}  // namespace desktop
