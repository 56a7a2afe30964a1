#pragma once

#include <QDate>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

// Case names for the data-driven tables: every case carries a label that is a valid test name.
template <typename Case> std::string caseLabel(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.label;
}

inline QDate d(int y, int m, int day)
{
    return QDate(y, m, day);
}
