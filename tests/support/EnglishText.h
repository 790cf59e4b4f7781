// A failure's text as a user of the English interface reads it, from the translations in
// i18n/kavendel_en.ts, so that the libraries' tests state what they expect in English while the
// messages are written in Japanese. A text without a translation stays as it is.
#pragma once

#include "Failure.h"

#include <QFile>
#include <QXmlStreamReader>

#include <map>
#include <ostream>
#include <string>
#include <utility>

namespace kv::test {

// Each (context, source) of the translation file and its English.
inline const std::map<std::pair<std::string, std::string>, std::string>& englishCatalogue() {
    static const auto catalogue = [] {
        std::map<std::pair<std::string, std::string>, std::string> found;
        QFile file(QStringLiteral(KAVENDEL_TEST_DATA "/../../i18n/kavendel_en.ts"));
        if (!file.open(QIODevice::ReadOnly))
            return found;
        QXmlStreamReader xml(&file);
        std::string context, source;
        while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
            if (!xml.isStartElement())
                continue;
            const auto text = [&] {
                return xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
            };
            if (xml.name() == u"name")
                context = text();
            else if (xml.name() == u"source")
                source = text();
            else if (xml.name() == u"translation")
                found[{context, source}] = text();
        }
        return found;
    }();
    return catalogue;
}

// As Failure::text(), in English.
inline std::string englishText(const Failure& failure) {
    std::string text;
    for (const Message& message : failure.messages()) {
        const auto english = englishCatalogue().find({message.context, message.source});
        const std::string part =
            message.lead +
            fillArguments(english == englishCatalogue().end() ? message.source : english->second,
                          message.args);
        if (!part.empty())
            text += (text.empty() ? "" : ": ") + part;
    }
    const std::string words = failure.systemWords();
    return words.empty() ? text : text + (text.empty() ? "" : ": ") + words;
}

// Notes that go to out in English, a line each.
inline Notes notesInEnglish(std::ostream& out) {
    return [&out](const Failure& note) { out << englishText(note) << '\n'; };
}

} // namespace kv::test
