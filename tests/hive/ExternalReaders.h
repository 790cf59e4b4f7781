// The two registry file readers we did not write, run as programs: libcreg's cregexport and a
// small script over Perl's Parse::Win32Registry. Each says whether it read exactly the tree the
// model holds, value for value and byte for byte.
#pragma once

#include "Hive.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kv::test {

// A registry file of the test data, tests/data/hives/name.
std::string readHiveFile(const std::string& name);

// Every key path and value of the model, parents before children, in the file's order.
std::vector<std::string> treeLines(const hive::Hive& hive);

bool haveCregexport();
bool havePerlReader();

// The first difference between what cregexport reads from the file and the model's tree, or an
// empty string when there is none.
std::string cregexportDifference(const std::filesystem::path& file, const hive::Hive& expected);

// The same for Parse::Win32Registry, reading many files in one run of Perl.
std::vector<std::string> perlDifferences(const std::vector<std::filesystem::path>& files,
                                         const std::vector<const hive::Hive*>& expected);

} // namespace kv::test
