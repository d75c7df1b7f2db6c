#include "gui/ZelTypes.h"

#if defined(__linux__)
// The X declarations of JUCE's window system: its display connection and the X functions it loaded.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#endif
#include "gui/ZelMouseMessages.h"

#if defined(_WIN32)
#include <windows.h>
#endif

void FlushMouseMessages(juce::Component& window) {
#if defined(_WIN32)
  (void)window;
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE | PM_NOYIELD) != 0) {
  }
#elif defined(__linux__)
  juce::ComponentPeer* peer = window.getPeer();
  juce::XWindowSystem* system = juce::XWindowSystem::getInstanceWithoutCreating();
  if (peer == nullptr || system == nullptr || system->getDisplay() == nullptr) {
    return;
  }
  ::Display* display = system->getDisplay();
  const auto handle =
      static_cast<::Window>(reinterpret_cast<juce::pointer_sized_uint>(peer->getNativeHandle()));
  juce::X11Symbols* x = juce::X11Symbols::getInstance();
  juce::XWindowSystemUtilities::ScopedXLock xLock;
  // Everything the server holds for us first, then drop the clicks among it.
  x->xSync(display, False);
  XEvent event;
  while (x->xCheckWindowEvent(display, handle, ButtonPressMask | ButtonReleaseMask, &event) != 0) {
  }
#else
  (void)window;
#endif
}

void RepeatMousePress(juce::Component& window, juce::Point<int> screenPosition, TMouseButton button) {
  juce::ComponentPeer* peer = window.getPeer();
  if (peer == nullptr) {
    return;
  }
  const juce::Point<float> local = peer->globalToLocal(screenPosition.toFloat());
  if (!peer->getComponent().getLocalBounds().toFloat().contains(local)) {
    return;
  }
  const int flag = button == mbRight    ? juce::ModifierKeys::rightButtonModifier
                   : button == mbMiddle ? juce::ModifierKeys::middleButtonModifier
                                        : juce::ModifierKeys::leftButtonModifier;
  const juce::ModifierKeys released = juce::ModifierKeys::currentModifiers.withoutMouseButtons();
  const juce::ModifierKeys pressed = released.withFlags(flag);
  const auto source = juce::MouseInputSource::InputSourceType::mouse;
  const juce::int64 time = juce::Time::currentTimeMillis();
  juce::Component::SafePointer<juce::Component> alive(&window);
  juce::ModifierKeys::currentModifiers = pressed;
  peer->handleMouseEvent(source, local, pressed, juce::MouseInputSource::defaultPressure,
                         juce::MouseInputSource::defaultOrientation, time);
  juce::ModifierKeys::currentModifiers = released;
  // The press may have closed the window (a menu entry, a button).
  if (alive != nullptr && window.getPeer() == peer) {
    peer->handleMouseEvent(source, local, released, juce::MouseInputSource::defaultPressure,
                           juce::MouseInputSource::defaultOrientation, time + 1);
  }
}
