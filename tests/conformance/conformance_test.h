// Base fixture of the conformance suite: a fresh machine per test.
#pragma once
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "conformance/conformance_machine.h"
#include "store/store_error.h"

namespace vlx::conformance {

class ConformanceTest : public ::testing::Test {
 protected:
  ConformanceTest() : machine_(MakeConformanceMachine()), platform_(machine_->platform()) {}

  // The machine's family, as GetVersion tells it: where the 9x and NT registries differ, an
  // expectation names the family it holds for.
  bool NineXFamily() const { return (platform_.facts->VersionWord() & 0x80000000u) != 0; }

  std::unique_ptr<ConformanceMachine> machine_;
  Platform& platform_;
};

// Runs `action`, which must raise a StoreError with exactly `message`.
#define EXPECT_STORE_ERROR(action, message)                                   \
  do {                                                                        \
    try {                                                                     \
      action;                                                                 \
      ADD_FAILURE() << #action " raised nothing, expected: " << (message);    \
    } catch (const ::vlx::StoreError& error) {                                \
      EXPECT_EQ(std::string(error.what()), std::string(message)) << #action; \
    }                                                                         \
  } while (0)

}  // namespace vlx::conformance
