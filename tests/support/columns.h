// Tables that tell neighbours apart. A test that feeds the program a table of settings or
// values sees a wire between two columns only where they differ in some row, and sees a
// column at all only where it changes: the check below fails a table that cannot.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

// One column: its name, its value in each row, and how many distinct values it must take.
struct TABLE_COLUMN {
    std::string name;
    std::vector<long long> values;
    size_t atLeast = 2;
};

// Fails for every column that takes fewer distinct values than it must and for every two
// columns that hold the same value in each row.
inline void ExpectColumnsApart(const std::vector<TABLE_COLUMN>& columns)
{
    for (size_t a = 0; a < columns.size(); ++a) {
        const std::set<long long> distinct(columns[a].values.begin(), columns[a].values.end());
        EXPECT_GE(distinct.size(), columns[a].atLeast) << columns[a].name << " takes too few values";
        for (size_t b = a + 1; b < columns.size(); ++b)
            EXPECT_NE(columns[a].values, columns[b].values) << columns[a].name << " and " << columns[b].name
                                                            << " hold the same value in every row";
    }
}

// The columns of a table whose rows are plain structs of ints, read in field order. `names`
// names the fields, space-separated; a name followed by ":3" must take three values.
template <class Row, size_t N>
std::vector<TABLE_COLUMN> IntColumns(const Row (&rows)[N], const std::string& names)
{
    static_assert(std::is_trivially_copyable_v<Row> && sizeof(Row) % sizeof(int) == 0, "rows of ints only");
    std::vector<TABLE_COLUMN> columns;
    std::istringstream in(names);
    for (std::string name; in >> name;) {
        const size_t colon = name.find(':');
        columns.push_back({name.substr(0, colon), {}, colon == std::string::npos ? 2 : std::stoul(name.substr(colon + 1))});
    }
    EXPECT_EQ(columns.size(), sizeof(Row) / sizeof(int)) << "one name for each field";
    for (const Row& row : rows) {
        int fields[sizeof(Row) / sizeof(int)];
        std::memcpy(fields, &row, sizeof row);
        for (size_t c = 0; c < columns.size() && c < std::size(fields); ++c) columns[c].values.push_back(fields[c]);
    }
    return columns;
}
