#include "sim/services/nib_loader.h"

#include <vector>

#include "backend/interface_builder.h"
#include "platform/platform.h"

namespace sim {

namespace {

class SimControlFactory final : public backend::ControlFactory {
 public:
  SimControlFactory(SessionContext& ctx, std::uint64_t& frontCounter)
      : ctx_(ctx), frontCounter_(frontCounter) {}
  ~SimControlFactory() override {
    // Whatever was bound goes with the window, finished or not.
    if (window_) window_->setObservedObjects(observed_, &platform::current().keyValueObserving());
  }

  std::shared_ptr<SimWindow> window() const { return window_; }

  void makeWindow(const backend::WindowInterface& file) override {
    window_ = std::make_shared<SimWindow>(ctx_, file.name, file.frame, frontCounter_);
  }
  std::shared_ptr<platform::NibObject> makeButton(const backend::ButtonDecl& d,
                                                  platform::NibObject* target) override {
    auto button = std::make_shared<SimButton>(ctx_, SimButton::Push, d.title);
    button->setAction(d.action, target);
    window_->addButton(button);
    return button;
  }
  std::shared_ptr<platform::NibObject> makeCheckbox(const backend::CheckboxDecl& d,
                                                    platform::NibObject* boundObject) override {
    auto box = std::make_shared<SimButton>(ctx_, SimButton::Checkbox, d.title);
    if (boundObject) observed_.push_back(boundObject);
    box->bind({boundObject, d.binding.key});
    window_->addButton(box);
    return box;
  }
  std::shared_ptr<platform::NibObject> makeImageView(
      const backend::ImageViewDecl&, std::shared_ptr<platform::Image> image) override {
    auto view = std::make_shared<SimImageView>(ctx_);
    if (image) view->setInitialImage(std::move(image));
    window_->keep(view);
    return view;
  }
  void makePopup(const backend::PopupDecl& d) override {
    auto popup =
        std::make_shared<SimValueControl>("popup", d.title, Binding{nullptr, d.binding.key});
    popup->items = d.items;
    window_->keep(std::move(popup));
  }
  void makeSlider(const backend::SliderDecl& d) override {
    auto slider =
        std::make_shared<SimValueControl>("slider", d.title, Binding{nullptr, d.binding.key});
    slider->minValue = d.minValue;
    slider->maxValue = d.maxValue;
    window_->keep(std::move(slider));
  }
  std::shared_ptr<platform::NibObject> makeText(const backend::TextDecl&) override {
    auto text = std::make_shared<SimTextField>();
    window_->keep(text);
    return text;
  }
  void keep(std::shared_ptr<platform::NibObject> object) override {
    window_->keep(std::move(object));
  }

 private:
  SessionContext& ctx_;
  std::uint64_t& frontCounter_;
  std::shared_ptr<SimWindow> window_;
  std::vector<platform::NibObject*> observed_;
};

}  // namespace

std::shared_ptr<SimWindow> loadWindowNib(SessionContext& ctx, const backend::InterfaceFile& file,
                                         platform::NibObject* owner, std::uint64_t& frontCounter) {
  auto declarations = backend::readWindowInterface(file);
  SimControlFactory factory(ctx, frontCounter);
  backend::buildInterface(declarations, owner, factory);
  return factory.window();
}

}  // namespace sim
