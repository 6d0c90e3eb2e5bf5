// The error of the settings store: one message text built from a fixed template.
#pragma once
#include <stdexcept>
#include <string>

namespace vlx {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;

  static StoreError InvalidDataType(const std::string& valueName) {
    return StoreError("Invalid data type for '" + valueName + "'");
  }
  static StoreError FailedToCreateKey(const std::string& keyPath) {
    return StoreError("Failed to create key " + keyPath);
  }
  static StoreError FailedToSetData(const std::string& valueName) {
    return StoreError("Failed to set data for '" + valueName + "'");
  }
  static StoreError FailedToGetData(const std::string& valueName) {
    return StoreError("Failed to get data for '" + valueName + "'");
  }
  static StoreError CannotOpenFile(const std::string& filePath) {
    return StoreError("Cannot open file " + filePath);
  }
  static StoreError UnableToWrite(const std::string& filePath) {
    return StoreError("Unable to write to " + filePath);
  }
};

}  // namespace vlx
