// Loads a form written in the builder's source language on the headless desktop, with a
// small handler table whose results a test sets.
#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/surface.h"
#include "platform/types.h"

namespace comptest {

inline constexpr uint32_t kWindow = 0x52010001;

struct HandlerLog {
  int closeRequests = 0;
  std::optional<int64_t> closeResult;
  bool createdSawVisible = true;
};
HandlerLog& Handlers();

// The handler table the sources refer to: OnCreated, OnCloseRequested.
class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void LoadSource(const std::string& source);
  platform::HWND Hwnd(uint32_t componentId) const;
  // The form's composed client area after painting everything.
  const platform::Surface& Frame();
  // How many pixels of a colour lie in a rectangle of the form's client area.
  int CountColour(const platform::Rect& r, platform::COLORREF c);
};

}  // namespace comptest
