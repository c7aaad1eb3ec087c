#pragma once
// For tests of the add-in's own code: a fresh profile, the headless front
// end, and the English resource library loaded from the add-in folder the
// test runs in (the test executables are built into the add-in folders).

#include <gtest/gtest.h>

#include <memory>

#include "addin/ResourceLibrary.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "tests/support/TestProfile.h"

class AddinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::SetFrontEnd(m_frontEnd);
    FreeResourceLibrary();
    ASSERT_EQ(LoadResourceLibrary(), S_OK) << "no resource library beside the test";
  }
  void TearDown() override {
    FreeResourceLibrary();
    ui::SetFrontEnd(nullptr);
  }

  TestProfile m_profile;
  std::shared_ptr<ui::HeadlessFrontEnd> m_frontEnd = std::make_shared<ui::HeadlessFrontEnd>();
};
