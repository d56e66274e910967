// Stored window layouts: UTF-8 text files read when a form is created.
//
//   object Form1: TForm1          # a component: name, then class
//     Caption = "ZELVORA- TEST"   # strings in double quotes, \" and \\ escaped
//     Left = 12                   # integers
//     Visible = False             # identifiers (True/False, enumeration members, ...)
//     Font.Style = [fsBold]       # sets
//     Lines = (                   # lists of strings, one or more lines
//       "first" "second")
//     object Label1: TLabel ... end
//   end
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace fw {

struct LayoutValue {
  enum class Kind { Integer, String, Identifier, Set, List };
  Kind kind = Kind::Integer;
  long long integer = 0;
  std::string text;                // String (UTF-8 as stored) or Identifier
  std::vector<std::string> items;  // Set members or List strings
};

struct LayoutProperty {
  std::string key;  // "Caption", "Font.Height"
  LayoutValue value;
  int line = 0;
};

struct LayoutNode {
  std::string name;
  std::string className;
  int line = 0;
  std::vector<LayoutProperty> properties;
  std::vector<LayoutNode> children;
};

class LayoutError : public std::runtime_error {
 public:
  LayoutError(const std::string& file, int line, const std::string& property, const std::string& message);
  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const std::string& property() const { return property_; }

 private:
  std::string file_;
  int line_;
  std::string property_;
};

// Parses one layout; the file name is used in error messages only.
LayoutNode parseLayout(const std::string& text, const std::string& fileName);

}  // namespace fw
