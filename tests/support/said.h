// What a piece of code said on standard error, for tests of the lines a person sees.
#pragma once

#include <gtest/gtest.h>

#include <string>

template <class Action>
std::string Said(const Action& action)
{
    ::testing::internal::CaptureStderr();
    action();
    return ::testing::internal::GetCapturedStderr();
}
