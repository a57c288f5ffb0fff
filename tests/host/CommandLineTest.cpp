#include <gtest/gtest.h>

#include "ui/CommandLine.h"

namespace tidemark {
namespace {

TEST(RegistrationSwitch, EitherPrefixAndAnyLetterCase) {
  for (const char* parameter :
       {"/REGSERVER", "-REGSERVER", "/regserver", "-RegServer", "/UNREGSERVER", "-unregserver", "/UnRegServer"}) {
    EXPECT_TRUE(IsRegistrationSwitch(parameter)) << parameter;
  }
}

TEST(RegistrationSwitch, OnlyTheWholeParameter) {
  for (const char* parameter : {"REGSERVER", "/REGSERVER ", " /REGSERVER", "/REGSERVERS", "/REG", "//REGSERVER",
                                "--REGSERVER", "/", "-", "", "\\REGSERVER", "/UNREG", "/RE GSERVER"}) {
    EXPECT_FALSE(IsRegistrationSwitch(parameter)) << "[" << parameter << "]";
  }
}

TEST(RegistrationSwitch, NoLocaleCaseFolding) {
  // A dotless or Korean look-alike never counts: only ASCII letters fold.
  EXPECT_FALSE(IsRegistrationSwitch("/R\xC9GSERVER"));
  EXPECT_FALSE(IsRegistrationSwitch("/레지서버"));
}

TEST(RegistrationSwitch, AnyParameterOfTheLineCounts) {
  EXPECT_TRUE(HasRegistrationSwitch({"one", "two", "-unregserver"}));
  EXPECT_TRUE(HasRegistrationSwitch({"/RegServer", "more"}));
  EXPECT_FALSE(HasRegistrationSwitch({}));
  EXPECT_FALSE(HasRegistrationSwitch({"/help", "regserver", "/S"}));
}

}  // namespace
}  // namespace tidemark
