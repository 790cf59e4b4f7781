#include "RegistryDiff.h"

#include "Cp932.h"
#include "RegistryDocument.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <vector>

namespace kv {

namespace {

constexpr std::string_view Crlf = "\r\n";
constexpr std::size_t Unordered = std::numeric_limits<std::size_t>::max();

using SectionOrder = std::unordered_map<std::string, std::size_t>;

// The position of every key in a file, by its folded path: the first section that names the
// key, or one of its subkeys (which creates it), counts.
SectionOrder sectionOrder(std::string_view text) {
    SectionOrder order;
    std::size_t next = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (!line.starts_with('[') || line.starts_with("[-"))
            continue;
        std::size_t close = std::string_view::npos;
        for (std::size_t p = 1; p < line.size(); p += cp932::charLength(line, p))
            if (line[p] == ']')
                close = p;
        if (close == std::string_view::npos)
            continue;
        std::string folded;
        for (const std::string& part : cp932::split(line.substr(1, close - 1))) {
            folded += cp932::fold(part);
            order.try_emplace(folded, next++);
            folded += '\\';
        }
    }
    return order;
}

std::size_t positionIn(const SectionOrder& order, const KeyPath& path) {
    const auto it = order.find(cp932::fold(joinPath(path)));
    return it == order.end() ? Unordered : it->second;
}

struct KeyChange {
    KeyPath path;
    bool removed = false;
    std::vector<const RegValue*> unset; // values of the older key
    std::vector<const RegValue*> set;   // values of the newer key
};

// Walks both trees side by side, collecting one change per key that differs.
class TreeWalk {
public:
    void walkChildren(const RegKey& before, const RegKey& after, KeyPath& path) {
        for (const RegKey* child : after.children())
            walk(before.child(child->name()), child, path);
        for (const RegKey* child : before.children())
            if (!after.child(child->name()))
                walk(child, nullptr, path);
    }

    std::vector<KeyChange> changes;
    DiffCount count;

private:
    void walk(const RegKey* before, const RegKey* after, KeyPath& path) {
        path.push_back(after ? after->name() : before->name());
        // A hive cannot be removed as a whole; its keys and values are, one by one.
        if (!after && path.size() > 1)
            removeKey(*before, path);
        else
            compareKey(before ? *before : m_empty, after ? *after : m_empty, !before, path);
        path.pop_back();
    }

    void removeKey(const RegKey& before, const KeyPath& path) {
        changes.push_back({path, true, {}, {}});
        countSubtree(before);
    }

    void countSubtree(const RegKey& key) {
        ++count.keys;
        count.values += key.values().size();
        for (const RegKey* child : key.children())
            countSubtree(*child);
    }

    // The window opens the driver's keys at every start, creating them empty where the driver
    // never made them: a key that holds nothing, however deep, changes nothing Windows reads, so
    // it is no change to list, to count or to write back.
    void compareKey(const RegKey& before, const RegKey& after, bool isNew, KeyPath& path) {
        if (isNew && !holdsAValue(after))
            return;
        KeyChange change{path, false, {}, {}};
        for (const RegValue* value : before.values())
            if (!after.value(value->name))
                change.unset.push_back(value);
        for (const RegValue* value : after.values()) {
            const RegValue* old = before.value(value->name);
            if (!old || old->type != value->type || old->data != value->data)
                change.set.push_back(value);
        }
        count.keys += isNew ? 1 : 0;
        count.values += change.unset.size() + change.set.size();
        // A new key that has subkeys but no values is created by its subkeys' sections.
        if (!change.unset.empty() || !change.set.empty())
            changes.push_back(std::move(change));
        walkChildren(before, after, path);
    }

    const RegKey m_empty{""};
};

// "name"=- : the value's name written as regedit writes it, with its deletion mark.
std::string deletionLine(const RegValue& value) {
    std::string line = RegistryDocument::formatValue({value.name, RegString, std::string(1, '\0')}, Crlf);
    line.resize(line.size() - Crlf.size() - 2); // the empty string's quotes
    line += '-';
    line += Crlf;
    return line;
}

void appendSection(std::string& out, const KeyChange& change) {
    out += Crlf;
    out += change.removed ? "[-" : "[";
    out += joinPath(change.path);
    out += ']';
    out += Crlf;
    for (const RegValue* value : change.unset)
        out += deletionLine(*value);
    for (const RegValue* value : change.set)
        out += RegistryDocument::formatValue(*value, Crlf);
}

// Removals first, in the older file's order; then the rest in the newer file's order. The two
// never touch the same key, so their order does not change what the patch does.
void sortChanges(std::vector<KeyChange>& changes, std::string_view beforeFile, std::string_view afterFile) {
    const SectionOrder beforeOrder = sectionOrder(beforeFile);
    const SectionOrder afterOrder = sectionOrder(afterFile);
    std::vector<std::pair<std::size_t, std::size_t>> rank; // (removal first, position) by change
    rank.reserve(changes.size());
    for (const KeyChange& change : changes) {
        const std::size_t after = change.removed ? Unordered : positionIn(afterOrder, change.path);
        rank.emplace_back(change.removed ? 0 : 1,
                          after != Unordered ? after : positionIn(beforeOrder, change.path));
    }
    std::vector<std::size_t> index(changes.size());
    for (std::size_t i = 0; i < index.size(); ++i)
        index[i] = i;
    std::stable_sort(index.begin(), index.end(),
                     [&](std::size_t a, std::size_t b) { return rank[a] < rank[b]; });
    std::vector<KeyChange> sorted;
    sorted.reserve(changes.size());
    for (const std::size_t i : index)
        sorted.push_back(std::move(changes[i]));
    changes = std::move(sorted);
}

bool sameValue(const RegValue* a, const RegValue* b) {
    if (!a || !b)
        return a == b;
    return a->type == b->type && a->data == b->data;
}

// Walks the machine's tree beside its baseline, looking up in the current state only where the
// machine changed something.
class ThreeWayWalk {
public:
    explicit ThreeWayWalk(MergedPatch& out)
        : m_out(out) {}

    void walk(const RegKey* base, const RegKey& machine, const RegKey* current, KeyPath& path) {
        compareValues(base, machine, current, path);
        for (const RegKey* child : machine.children()) {
            path.push_back(child->name());
            walk(base ? base->child(child->name()) : nullptr, *child,
                 current ? current->child(child->name()) : nullptr, path);
            path.pop_back();
        }
        if (!base || path.empty()) // a hive is never removed as a whole
            return;
        for (const RegKey* child : base->children())
            if (!machine.child(child->name())) {
                path.push_back(child->name());
                removeKey(*child, current ? current->child(child->name()) : nullptr, path);
                path.pop_back();
            }
    }

private:
    void compareValues(const RegKey* base, const RegKey& machine, const RegKey* current,
                       const KeyPath& path) {
        for (const RegValue* wanted : machine.values()) {
            const RegValue* was = base ? base->value(wanted->name) : nullptr;
            if (!sameValue(was, wanted))
                change(path, was, wanted, current ? current->value(wanted->name) : nullptr);
        }
        if (base)
            for (const RegValue* was : base->values())
                if (!machine.value(was->name))
                    change(path, was, nullptr, current ? current->value(was->name) : nullptr);
    }

    void change(const KeyPath& path, const RegValue* was, const RegValue* wanted, const RegValue* now) {
        if (sameValue(now, wanted))
            return;
        if (!sameValue(now, was))
            m_out.collisions.push_back({path, was ? was->name : wanted->name});
        if (wanted)
            m_out.steps.push_back({PatchStep::Kind::SetValue, path, *wanted});
        else
            m_out.steps.push_back({PatchStep::Kind::RemoveValue, path, {was->name, RegString, {}}});
    }

    void removeKey(const RegKey& was, const RegKey* now, const KeyPath& path) {
        if (!now)
            return;
        if (!(*now == was))
            m_out.collisions.push_back({path, std::nullopt});
        m_out.steps.push_back({PatchStep::Kind::RemoveKey, path, {}});
    }

    MergedPatch& m_out;
};

} // namespace

bool holdsAValue(const RegKey& key) {
    if (!key.values().empty())
        return true;
    const auto children = key.children();
    return std::any_of(children.begin(), children.end(),
                       [](const RegKey* child) { return holdsAValue(*child); });
}

DiffCount countDifferences(const RegKey& before, const RegKey& after) {
    TreeWalk walk;
    KeyPath path;
    walk.walkChildren(before, after, path);
    return walk.count;
}

std::string changesPatch(std::string_view beforeFile, std::string_view afterFile) {
    const RegistryDocument before = RegistryDocument::parse(beforeFile);
    const RegistryDocument after = RegistryDocument::parse(afterFile);
    TreeWalk walk;
    KeyPath path;
    walk.walkChildren(before.tree(), after.tree(), path);
    sortChanges(walk.changes, beforeFile, afterFile);
    std::string out = "REGEDIT4";
    out += Crlf;
    for (const KeyChange& change : walk.changes)
        appendSection(out, change);
    out += Crlf;
    return out;
}

MergedPatch mergeOnto(const RegKey& base, const RegKey& machine, const RegKey& current) {
    MergedPatch out;
    KeyPath path;
    ThreeWayWalk(out).walk(&base, machine, &current, path);
    return out;
}

std::string patchSections(const std::vector<PatchStep>& steps) {
    std::string out;
    for (const PatchStep& step : steps) {
        out += Crlf;
        out += step.kind == PatchStep::Kind::RemoveKey ? "[-" : "[";
        out += joinPath(step.path);
        out += ']';
        out += Crlf;
        if (step.kind == PatchStep::Kind::SetValue)
            out += RegistryDocument::formatValue(step.value, Crlf);
        else if (step.kind == PatchStep::Kind::RemoveValue)
            out += deletionLine(step.value);
    }
    return out;
}

} // namespace kv
