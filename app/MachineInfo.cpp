#include "MachineInfo.h"

#include "Console.h"
#include "Cp932.h"
#include "Discovery.h"
#include "DiskProbe.h"
#include "FileBytes.h"
#include "HiveWriteBack.h"
#include "ImageRecord.h"
#include "MachineFolder.h"
#include "MachineJobs.h"
#include "RegistryFileStore.h"
#include "Snapshots.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace fs = std::filesystem;

namespace kv {

namespace {

QString shown(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QJsonValue optionalText(const std::optional<std::string>& text) {
    return text ? QJsonValue(QString::fromStdString(*text)) : QJsonValue();
}

// The time a file was last written, in UTC as the snapshots list theirs.
QJsonValue fileTime(const fs::path& file) {
    const QFileInfo info(shown(file));
    return info.exists()
               ? QJsonValue(info.lastModified().toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
               : QJsonValue();
}

// "4.10.2222", as the machine's registry names its Windows 95/98/Me.
std::optional<std::string> versionNumberOf(const RegKey& tree) {
    const RegKey* key =
        tree.find({"HKEY_LOCAL_MACHINE", "Software", "Microsoft", "Windows", "CurrentVersion"});
    const RegValue* value = key ? key->value("VersionNumber") : nullptr;
    if (!value || value->type != RegString)
        return std::nullopt;
    std::string text = cp932::toUtf8(value->data.substr(0, value->data.find('\0')));
    return text.empty() ? std::nullopt : std::optional(text);
}

QJsonValue imageOf(const std::optional<ImageRecord>& record) {
    if (!record)
        return QJsonValue();
    return QJsonObject{{"filename", shown(record->image)},
                       {"format", QString::fromStdString(record->format)},
                       {"partition", record->partition}};
}

// The files taken from the image, by their Windows paths, or those Kavendel may change in a
// machine folder of another kind, by their host paths.
QJsonArray filesOf(const fs::path& dir, const std::optional<ImageRecord>& record) {
    QJsonArray files;
    if (record) {
        for (const RecordedFile& file : record->files)
            if (file.role == RecordedFile::Role::Taken && file.contents)
                files.append(QJsonObject{{"path", QString::fromStdString(cp932::toUtf8(file.windowsPath))},
                                         {"size", qint64(file.contents->size)}});
        return files;
    }
    const MachineFolder machine(dir);
    auto store = RegistryFileStore::open(machine.registryFile());
    for (const fs::path& file : filesKavendelMayChange(*store, machine))
        files.append(QJsonObject{{"path", shown(file)}, {"size", qint64(fs::file_size(file))}});
    return files;
}

QJsonArray snapshotsOf(const fs::path& dir) {
    QJsonArray list;
    for (const SnapshotInfo& info : Snapshots(dir).list())
        list.append(QJsonObject{{"id", qint64(info.id)},
                                {"time", QString::fromStdString(info.time)},
                                {"kind", info.kind == SnapshotKind::Automatic ? QStringLiteral("automatic")
                                                                              : QStringLiteral("by-hand")}});
    return list;
}

QString originOf(const fs::path& dir, const std::optional<ImageRecord>& record) {
    if (record)
        return QStringLiteral("image");
    std::error_code ec;
    return fs::exists(MachineFolder::baselineIn(dir), ec) ? QStringLiteral("registry")
                                                          : QStringLiteral("created");
}

} // namespace

QJsonObject machineInfo(const fs::path& dir) {
    const std::optional<ImageRecord> record = ImageRecord::load(dir);
    const RegistryDocument machine = registryToWriteBack(dir);
    const std::optional<std::string> version = versionNumberOf(machine.tree());
    std::error_code ec;
    const bool hasBaseline = fs::exists(MachineFolder::baselineIn(dir), ec);
    auto store = RegistryFileStore::open(MachineFolder::registryFileIn(dir));
    return QJsonObject{
        {"machine", shown(fs::absolute(dir))},
        {"origin", originOf(dir, record)},
        {"image", imageOf(record)},
        {"baseline-time", hasBaseline ? fileTime(MachineFolder::baselineIn(dir)) : QJsonValue()},
        {"windows-version", optionalText(version)},
        {"windows", version ? QJsonValue(QString::fromStdString(vms::windowsName(*version))) : QJsonValue()},
        {"display-driver", optionalText(windows9xDisplayDriver(*store))},
        {"files", filesOf(dir, record)},
        {"snapshots", snapshotsOf(dir)},
        {"unwritten-changes",
         hasBaseline ? QJsonValue(qint64(plannedDifferences(baselineOf(dir).tree(), machine.tree()).size()))
                     : QJsonValue()},
    };
}

namespace {

// What the text output says for a value the folder does not have.
QString orNone(const QJsonValue& value, const ConsoleTexts& texts) {
    if (value.isNull())
        return texts.text(QT_TRANSLATE_NOOP("CommandLine", "なし"));
    return value.isDouble() ? QString::number(value.toInteger()) : value.toString();
}

QString originText(const QString& origin, const ConsoleTexts& texts) {
    if (origin == QLatin1String("image"))
        return texts.text(QT_TRANSLATE_NOOP("CommandLine", "ディスクイメージから取り込み"));
    if (origin == QLatin1String("registry"))
        return texts.text(QT_TRANSLATE_NOOP("CommandLine", "Windows のレジストリから取り込み"));
    return texts.text(QT_TRANSLATE_NOOP("CommandLine", "--create で作成"));
}

QString imageText(const QJsonValue& image, const ConsoleTexts& texts) {
    if (image.isNull())
        return orNone(image, texts);
    const QJsonObject fields = image.toObject();
    return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1 (%2、パーティション %3)"),
                      {fields["filename"].toString(), fields["format"].toString(),
                       QString::number(fields["partition"].toInt())});
}

QStringList infoLines(const QJsonObject& info, const ConsoleTexts& texts) {
    const auto line = [&](const char* label, const QString& value) {
        return texts.text(label) + QStringLiteral(": ") + value;
    };
    QStringList lines{
        line(QT_TRANSLATE_NOOP("CommandLine", "マシンフォルダ"), info["machine"].toString()),
        line(QT_TRANSLATE_NOOP("CommandLine", "由来"), originText(info["origin"].toString(), texts)),
        line(QT_TRANSLATE_NOOP("CommandLine", "ディスクイメージ"), imageText(info["image"], texts)),
        line(QT_TRANSLATE_NOOP("CommandLine", "最後の取り込みか書き戻し (UTC)"),
             orNone(info["baseline-time"], texts)),
        line(QT_TRANSLATE_NOOP("CommandLine", "Windows"), orNone(info["windows"], texts)),
        line(QT_TRANSLATE_NOOP("CommandLine", "Windows のバージョン"),
             orNone(info["windows-version"], texts)),
        line(QT_TRANSLATE_NOOP("CommandLine", "ディスプレイドライバ"), orNone(info["display-driver"], texts)),
        line(QT_TRANSLATE_NOOP("CommandLine", "書き戻していない変更"),
             orNone(info["unwritten-changes"], texts)),
        line(QT_TRANSLATE_NOOP("CommandLine", "ファイル"), QString::number(info["files"].toArray().size()))};
    for (const QJsonValue& file : info["files"].toArray())
        lines << QStringLiteral("  %1\t%2").arg(file["path"].toString()).arg(file["size"].toInteger());
    lines << line(QT_TRANSLATE_NOOP("CommandLine", "スナップショット"),
                  QString::number(info["snapshots"].toArray().size()));
    for (const QJsonValue& snapshot : info["snapshots"].toArray())
        lines << QStringLiteral("  %1\t%2").arg(snapshot["id"].toInteger()).arg(snapshot["time"].toString());
    return lines;
}

} // namespace

int printMachineInfo(const fs::path& dir, bool json, const Console& console) {
    std::error_code ec;
    if (!fs::is_regular_file(MachineFolder::registryFileIn(dir), ec))
        return console.error(
            console.texts().text(
                QT_TRANSLATE_NOOP("CommandLine",
                                  "%1 はマシンフォルダではありません: registry.reg がありません "
                                  "(新しいマシンフォルダは --create で作ります)"),
                {shown(dir)}),
            ExitFailure);
    try {
        const QJsonObject info = machineInfo(dir);
        if (json)
            console.output(QJsonDocument(info).toJson().toStdString());
        else
            for (const QString& line : infoLines(info, console.texts()))
                console.report(line);
        return 0;
    } catch (const std::exception& e) {
        return console.error(console.texts().text(e), ExitFailure);
    }
}

} // namespace kv
