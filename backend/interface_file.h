// Interface files (resources/NAME.ui): one declaration a line, words as in
// scenarios. Both desktops read them with this reader, so a file means the
// same on both; each desktop then makes its own windows and controls from
// the declarations (interface_builder.h).
//
// The main interface, MainMenu.ui:
//   object CLASS [delegate]                an instance; one is the delegate
// A window's interface:
//   window X Y W H                         the window, Cocoa frame (exactly one, first)
//   object CLASS ID                        an instance of a registered class
//   button "Title" [action SEL] [target owner|ID] [outlet NAME]
//   checkbox "Title" bind defaults|ID KEY [outlet NAME]
//   imageview [image NAME] [outlet NAME]
//   popup "Title" bind defaults KEY items "A" "B" ...   (value: the index)
//   slider "Title" bind defaults KEY min N max N
//   text [outlet NAME]                     a multi-line label, empty at first
// Outlets are connected to the owner by name; a button's target is the
// owner unless it names an object.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "backend/words.h"
#include "platform/geometry.h"

namespace backend {

// Longest interface file, in lines and in bytes per line: beyond, it is refused.
inline constexpr std::size_t kMaxInterfaceLines = 1000;
inline constexpr std::size_t kMaxInterfaceLineLength = 4096;

struct InterfaceLine {
  int line = 0;
  std::vector<Token> words;
  const std::string& word(std::size_t i) const { return words.at(i).text; }
};

struct InterfaceFile {
  std::string path;
  std::vector<InterfaceLine> lines;
  // "PATH:LINE: message", for a line that makes no sense.
  std::string where(int line, const std::string& message) const;
};

class InterfaceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads DIR/NAME.ui; throws InterfaceError when it is missing or malformed.
InterfaceFile loadInterfaceFile(const std::string& dir, const std::string& name);
// The same from text in memory (PATH names it in messages).
InterfaceFile parseInterfaceText(const std::string& path, const std::string& text);

// The main interface: the objects to create, and which one is the delegate.
struct MainInterface {
  struct Object {
    int line = 0;
    std::string className;
    bool isDelegate = false;
  };
  std::vector<Object> objects;
};
// Throws InterfaceError unless every line is an object and exactly one is
// the delegate.
MainInterface readMainInterface(const InterfaceFile& file);

// Where a control's value lives: a key of the user defaults (no object) or
// a key of an object the file declares.
struct BindingDecl {
  std::string object;  // empty: the user defaults
  std::string key;
  bool toDefaults() const { return object.empty(); }
};

struct ObjectDecl {
  std::string className, id;
};
struct ButtonDecl {
  std::string title, action;
  std::string target;  // empty: the owner
  std::string outlet;  // empty: none
};
struct CheckboxDecl {
  std::string title;
  BindingDecl binding;
  std::string outlet;
};
struct ImageViewDecl {
  std::string image;  // empty: none
  std::string outlet;
};
struct PopupDecl {
  std::string title;
  BindingDecl binding;  // to the defaults
  std::vector<std::string> items;
};
struct SliderDecl {
  std::string title;
  BindingDecl binding;  // to the defaults
  double minValue = 0, maxValue = 0;
};

struct TextDecl {
  std::string outlet;
};

using Declaration = std::variant<ObjectDecl, ButtonDecl, CheckboxDecl, ImageViewDecl, PopupDecl,
                                 SliderDecl, TextDecl>;

struct WindowInterface {
  std::string path;
  std::string name;  // the file's name without .ui: the window's name
  int windowLine = 0;
  platform::Rect frame;
  struct Item {
    int line = 0;
    Declaration declaration;
  };
  std::vector<Item> items;  // in file order, after the window
  std::string where(int line, const std::string& message) const;
};
// Checks everything that needs no running platform: syntax, one window
// first, positive size, objects declared before use and once, outlets
// connected once, slider bounds. Throws InterfaceError ("FILE:LINE: ...").
WindowInterface readWindowInterface(const InterfaceFile& file);

}  // namespace backend
