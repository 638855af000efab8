// `CartoonObject`: an object template placed on the form. Never shown at run time; it
// carries picture, text and behaviour settings that `CreateObject` copies into a new
// stage object. Its picture (or text picture) is decoded whenever a setting that
// affects it is written, so objects created afterwards get the new picture; a file
// any template has decoded before with the same key settings is taken from their
// shared cache.
#pragma once
#include <memory>

#include "runtime/forms/component.h"
#include "stage/component/stored_blocks.h"
#include "stage/model/stage_model.h"
#include "stage/pictures/sprite.h"

namespace stage {

inline constexpr uint32_t kCartoonObjectType = 0x20009;

// Own property indexes (property index - 8).
enum TemplateProperty : int {
  kTplText, kTplFont, kTplTextColor, kTplPicture, kTplAutoGetTransColor,
  kTplTransparentColor, kTplPlayGIF, kTplGIFDelay, kTplGIFAutoDestroy, kTplTrendColor,
  kTplTrendDepth, kTplLight, kTplAlpha, kTplZoom, kTplLayer, kTplAngle, kTplRotateFollow,
  kTplTurnType, kTplExistTime, kTplCreateSound, kTplDestroySound, kTplCollideAllowed,
  kTplCollidedSound, kTplType, kTemplatePropertyCount
};

class CartoonObject : public rt::Component {
 public:
  // nullptr when the stored block is unreadable or its version too high.
  static std::unique_ptr<CartoonObject> Create(const rt::CreateInfo& info);
  // A template that lives outside any form (tools, tests).
  explicit CartoonObject(TemplateSettings settings);
  ~CartoonObject() override;

  platform::HWND Hwnd() const override { return hwnd_; }
  rt::PropValue ReadProperty(int ownIndex) override;
  bool WriteProperty(int ownIndex, const rt::PropValue& v) override;

  const TemplateSettings& Settings() const { return s_; }
  // The decoded picture without transforms; nullptr when there is none.
  const SpritePtr& Decoded() const { return decoded_; }
  int GetPictureWidth() const { return decoded_ ? decoded_->Width() : 0; }
  int GetPictureHeight() const { return decoded_ ? decoded_->Height() : 0; }
  // What CreateObject copies into a new object; it points into this template.
  ObjectTemplate AsObjectTemplate() const;

  uint32_t WindowId() const { return windowId_; }
  uint32_t ComponentId() const { return componentId_; }

  // Finds a live template by its component reference (nullptr if none).
  static CartoonObject* Find(uint32_t windowId, uint32_t componentId);

 private:
  void Redecode();

  TemplateSettings s_;
  SpritePtr decoded_;
  platform::HWND hwnd_ = 0;
  uint32_t windowId_ = 0, componentId_ = 0;
};

}  // namespace stage
