// The error kinds the program raises inside its handlers. Each carries the finished,
// user-facing (UTF-8) text; the UI's handler guard shows what() in the standard error box.
#pragma once

#include <stdexcept>
#include <string>

namespace tollvane {

class AppError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "'%s' は整数ではありません"
class ConversionError : public AppError {
 public:
  explicit ConversionError(const std::string& text)
      : AppError("'" + text + "' は整数ではありません") {}
};

// "ファイル %s は開けません"
class FileOpenError : public AppError {
 public:
  explicit FileOpenError(const std::string& path)
      : AppError("ファイル " + path + " は開けません") {}
};

// "ファイル %s を作成できません"
class FileCreateError : public AppError {
 public:
  explicit FileCreateError(const std::string& path)
      : AppError("ファイル " + path + " を作成できません") {}
};

// "%s に書き込めません"
class WriteError : public AppError {
 public:
  explicit WriteError(const std::string& path) : AppError(path + " に書き込めません") {}
};

}  // namespace tollvane
