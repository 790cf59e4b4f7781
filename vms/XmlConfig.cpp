// Walking an XML configuration file.
#include "XmlConfig.h"

#include "ConfigFile.h"
#include "Failure.h"

#include <QByteArray>

namespace kv::vms {

void walkXml(const std::filesystem::path& file, XmlHandler& handler) {
    const std::string bytes = readConfigFile(file);
    QXmlStreamReader reader(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement)
            handler.element(reader);
        else if (token == QXmlStreamReader::Characters)
            handler.text(reader.text());
        else if (token == QXmlStreamReader::EndElement)
            handler.ended(reader.name());
    }
    if (reader.hasError())
        throw Failure(
            vmText(QT_TRANSLATE_NOOP("VirtualMachines", "%1 は %2 行目で XML として読めません: %3"),
                   {file.string(), std::to_string(reader.lineNumber()), reader.errorString().toStdString()}));
}

std::string attribute(const QXmlStreamReader& reader, QStringView name) {
    return reader.attributes().value(name.toString()).toString().toStdString();
}

} // namespace kv::vms
