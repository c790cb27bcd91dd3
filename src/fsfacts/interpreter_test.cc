#include "fsfacts/interpreter.h"

#include <gtest/gtest.h>

#include <string>

// The kernel's reading of a "#!" line: blanks before the name, the name up to a blank or the
// line end; a carriage return is part of the name.
TEST(InterpreterOf, Table) {
    using namespace std::string_literals;
    struct Case {
        std::string head;
        std::string interpreter;
    } cases[] = {
        {"#!/bin/sh\nexit 0\n", "/bin/sh"},
        {"#! /usr/bin/env python3\n", "/usr/bin/env"},
        {"#!\t /bin/sh -e\n", "/bin/sh"},
        {"#!/bin/sh\r\n", "/bin/sh\r"},
        {"#!/bin/sh", "/bin/sh"},
        {"#!rel/sh\n", "rel/sh"},
        {"#!/bin/sh\0x\n"s, "/bin/sh"},
        {"#!\n", ""},
        {"#!   ", ""},
        {"# !/bin/sh\n", ""},
        {"\x7f"
         "ELF",
         ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(interpreter_of(c.head), c.interpreter) << c.head;
}
