// The XML configuration files of VirtualBox and libvirt, read with Qt's stream reader: the
// reader walks the file and a handler picks what it needs from each element.
#pragma once

#include <QXmlStreamReader>

#include <filesystem>
#include <string>

namespace kv::vms {

class XmlHandler {
public:
    // A start element; the reader stands on it.
    virtual void element(const QXmlStreamReader& reader) = 0;
    // The text inside the element last started.
    virtual void text(QStringView) {}
    virtual void ended(QStringView name) = 0;

protected:
    ~XmlHandler() = default;
};

// Reads file through handler. Throws a Failure naming the file when it cannot be read or is
// not well-formed XML.
void walkXml(const std::filesystem::path& file, XmlHandler& handler);

// An attribute's value as UTF-8, empty when absent.
std::string attribute(const QXmlStreamReader& reader, QStringView name);

} // namespace kv::vms
