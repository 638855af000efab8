// The stage's events as named records. The stage raises each event from one of these and
// handlers read it back through the same type, so an argument's meaning is written down
// once, here, instead of as a position at every raise and every handler.
//
// `From` reads the runtime's event record (rt::EventRecord); it is a template so that
// the object model, which raises these, stays free of the form runtime.
#pragma once
#include <array>
#include <cstdint>

namespace stage {

// The stage's events, in slot order.
enum StageEvent : int32_t {
  kObjectLeftDown, kObjectRightDown, kObjectLeftUp, kObjectRightUp, kObjectDoubleClick,
  kObjectEnter, kObjectLeave, kStageMouseMove, kPositionChanging, kPositionChanged,
  kObjectDestroying, kObjectCollided, kBorderHit, kOutOfBorder, kAutoForwardStopped,
  kAutoRotateStopped, kAnimationFinished, kWatchedKeyDown,
};

// Object id 0 names no object; a pressed id of -1 is a press over no object, 0 no press.

// ObjectLeftDown, ObjectRightDown, ObjectRightUp, ObjectDoubleClick, ObjectDestroying,
// OutOfBorder, AnimationFinished.
struct ObjectEvent {
  int32_t object = 0;
  std::array<int32_t, 1> Args() const { return {object}; }
  template <class Record>
  static ObjectEvent From(const Record& ev) { return {ev.args[0]}; }
};

// ObjectLeftUp (a click when both ids are > 0 and equal), ObjectEnter, ObjectLeave.
struct ObjectPressEvent {
  int32_t object = 0;
  int32_t pressed = 0;
  std::array<int32_t, 2> Args() const { return {object, pressed}; }
  template <class Record>
  static ObjectPressEvent From(const Record& ev) { return {ev.args[0], ev.args[1]}; }
};

// StageMouseMove: the cursor in client coordinates.
struct StageMouseMoveEvent {
  int32_t x = 0, y = 0;
  int32_t pressed = 0;
  std::array<int32_t, 3> Args() const { return {x, y, pressed}; }
  template <class Record>
  static StageMouseMoveEvent From(const Record& ev) { return {ev.args[0], ev.args[1], ev.args[2]}; }
};

// PositionChanging (the new place; a handler's false refuses the move) and
// PositionChanged (the place reached).
struct PositionEvent {
  int32_t object = 0;
  int32_t x = 0, y = 0;
  std::array<int32_t, 3> Args() const { return {object, x, y}; }
  template <class Record>
  static PositionEvent From(const Record& ev) { return {ev.args[0], ev.args[1], ev.args[2]}; }
};

// ObjectCollided: the first contact of a forward move with another object.
struct CollisionEvent {
  int32_t object = 0;
  int32_t oldX = 0, oldY = 0;  // where the mover stood before the move
  int32_t other = 0;
  std::array<int32_t, 4> Args() const { return {object, oldX, oldY, other}; }
  template <class Record>
  static CollisionEvent From(const Record& ev) {
    return {ev.args[0], ev.args[1], ev.args[2], ev.args[3]};
  }
};

// BorderHit: a forward move crossed stage edges while staying partly inside.
enum BorderBits : int32_t { kBorderLeft = 1, kBorderTop = 2, kBorderRight = 4, kBorderBottom = 8 };
struct BorderHitEvent {
  int32_t object = 0;
  int32_t oldX = 0, oldY = 0;
  int32_t borders = 0;  // BorderBits, summed
  std::array<int32_t, 4> Args() const { return {object, oldX, oldY, borders}; }
  template <class Record>
  static BorderHitEvent From(const Record& ev) {
    return {ev.args[0], ev.args[1], ev.args[2], ev.args[3]};
  }
};

// WatchedKeyDown: a watched key is held.
enum KeyModifiers : int32_t { kModCtrl = 1, kModShift = 2, kModAlt = 4 };
struct WatchedKeyEvent {
  int32_t key = 0;
  int32_t modifiers = 0;  // KeyModifiers, summed
  std::array<int32_t, 2> Args() const { return {key, modifiers}; }
  template <class Record>
  static WatchedKeyEvent From(const Record& ev) { return {ev.args[0], ev.args[1]}; }
};

}  // namespace stage
