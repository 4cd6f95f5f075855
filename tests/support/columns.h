// Tables that tell neighbours apart: a test sees a wire between two columns of the table it
// feeds the program only where they differ in some row, and a column only where it changes.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

// A column's name, its value in each row and how many distinct values it must take.
struct TABLE_COLUMN {
    std::string name;
    std::vector<long long> values;
    size_t atLeast = 2;
};

// Fails for a column with fewer distinct values than it must take and for two columns that
// hold the same value in every row.
inline void ExpectColumnsApart(const std::vector<TABLE_COLUMN>& columns)
{
    for (size_t a = 0; a < columns.size(); ++a) {
        const std::set<long long> distinct(columns[a].values.begin(), columns[a].values.end());
        EXPECT_GE(distinct.size(), columns[a].atLeast) << columns[a].name << " takes too few values";
        for (size_t b = a + 1; b < columns.size(); ++b)
            EXPECT_NE(columns[a].values, columns[b].values) << columns[a].name << " moves with " << columns[b].name;
    }
}

// The columns of a table of structs of ints, named space-separated; the names follow the fields'
// order, and a name with ":3" must take three values.
template <class Row, size_t N>
std::vector<TABLE_COLUMN> IntColumns(const Row (&rows)[N], const std::string& names)
{
    constexpr size_t kFields = sizeof(Row) / sizeof(int);
    static_assert(std::is_trivially_copyable_v<Row> && sizeof(Row) == kFields * sizeof(int), "ints only");
    std::vector<TABLE_COLUMN> columns;
    std::istringstream in(names);
    for (std::string name; in >> name;)
        columns.push_back({name.substr(0, name.find(':')), {}, name.find(":3") == std::string::npos ? 2u : 3u});
    EXPECT_EQ(columns.size(), kFields) << "one name for each field";
    for (const Row& row : rows) {
        int fields[kFields];
        std::memcpy(fields, &row, sizeof row);
        for (size_t c = 0; c < columns.size() && c < kFields; ++c) columns[c].values.push_back(fields[c]);
    }
    return columns;
}
