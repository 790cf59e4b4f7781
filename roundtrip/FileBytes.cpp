#include "FileBytes.h"

#include "RoundTripText.h"

#include <QCryptographicHash>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace kv {

Fingerprint fingerprintOf(std::string_view bytes) {
    const QByteArray hash = QCryptographicHash::hash(
        QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())), QCryptographicHash::Sha256);
    return {bytes.size(), hash.toHex().toStdString()};
}

std::optional<std::string> readIfPresent(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    // An empty file has nothing to insert, which the stream would take for a failure.
    const bool empty = in && in.peek() == std::char_traits<char>::eof();
    if (!empty && (!in || !(bytes << in.rdbuf()) || in.bad())) {
        const std::error_code reason = systemReason(errno ? errno : EIO);
        throw Failure(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1 を読み込めません"), {file.string()}),
                      reason);
    }
    return std::move(bytes).str();
}

std::string readWhole(const std::filesystem::path& file) {
    auto bytes = readIfPresent(file);
    if (!bytes)
        throw Failure(roundTripText(QT_TRANSLATE_NOOP("RoundTrip", "%1: そのようなファイルはありません"),
                                    {file.string()}));
    return std::move(*bytes);
}

Failure systemFailure(const std::system_error& error) {
    if (const auto* fileError = dynamic_cast<const std::filesystem::filesystem_error*>(&error))
        return Failure(Message::verbatim(fileError->path1().string()), error.code());
    // what() is the step's words, then ": " and the system's, which the reason carries.
    std::string step = error.what();
    if (const std::string words = ": " + error.code().message(); step.ends_with(words))
        step.resize(step.size() - words.size());
    return Failure(Message::verbatim(step), error.code());
}

} // namespace kv
