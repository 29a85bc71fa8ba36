// Makes a window's objects from its interface declarations: what is the
// same on both desktops (creating the file's objects through the class
// registry, resolving identifiers, looking up images, connecting outlets to
// the owner) is done here; a desktop supplies its own window and controls
// through a ControlFactory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "backend/interface_file.h"
#include "platform/appkit.h"

namespace backend {

class ControlFactory {
 public:
  virtual ~ControlFactory() = default;
  // The window, first of all.
  virtual void makeWindow(const WindowInterface& file) = 0;
  // Each returns the control (what an outlet connects to). A binding's
  // object is null for the user defaults.
  virtual std::shared_ptr<platform::NibObject> makeButton(const ButtonDecl& d,
                                                          platform::NibObject* target) = 0;
  virtual std::shared_ptr<platform::NibObject> makeCheckbox(const CheckboxDecl& d,
                                                            platform::NibObject* boundObject) = 0;
  virtual std::shared_ptr<platform::NibObject> makeImageView(
      const ImageViewDecl& d, std::shared_ptr<platform::Image> image) = 0;
  virtual void makePopup(const PopupDecl& d) = 0;
  virtual void makeSlider(const SliderDecl& d) = 0;
  virtual std::shared_ptr<platform::NibObject> makeText(const TextDecl& d) = 0;
  // The window keeps the objects the file creates for as long as it lives.
  virtual void keep(std::shared_ptr<platform::NibObject> object) = 0;
};

// Walks the declarations in order. Throws InterfaceError for an unknown
// class, an image that does not exist, or an outlet the owner lacks; what the
// factory made so far stays with the factory.
void buildInterface(const WindowInterface& file, platform::NibObject* owner,
                    ControlFactory& factory);

// The main interface's objects, created through the class registry; they
// live as long as the application keeps them.
struct MainObjects {
  std::vector<std::shared_ptr<platform::NibObject>> objects;
  platform::ApplicationDelegate* delegate = nullptr;
};
// Throws InterfaceError for a malformed file, an unknown class or a
// delegate that is no application delegate.
MainObjects instantiateMainInterface(const InterfaceFile& file);

}  // namespace backend
