// How FLOAD paces its frames: the rising edge of the display's VNDP status bit, the GPIO pin
// that the chip's VOUT pulse reaches, and the VOUT settings kept for the length of one command.
#pragma once

#include <cstdint>

// Waits for the VNDP bit (MISC_CONFIG bit 7) to rise: first for it to clear if it is set, then
// for it to set, each within 5 s. False after printing the timeout.
bool WaitVndpRisingEdge();

// Waits for the GPIO pin's interrupt status (pins 0-15 in GPIO_IRQ_0, 16-23 in GPIO_IRQ_1)
// within 5 s and acknowledges it by writing the register with the bit set, then cleared. False
// after printing the timeout.
bool PollGpioPin(uint32_t pin);

// Waits for a key of a playback or an animation and returns it: on a terminal any key (an
// extended key gives kKeyExtended, its second code dropped). In piped input only blanks, line
// ends and Esc are read as keys; anything else is the next command, left unread, and the end of
// input: both give Esc.
int ReadPlaybackKey();

// A key pressed during a playback or an animation, as ReadPlaybackKey gives it, or -1 when none
// waits. Piped input holds the next commands, so it is looked at only where a playback would
// otherwise never end (endless is true).
int PlaybackKey(bool endless);

// A key pressed to stop a playback: PlaybackKey gave one.
bool PlaybackStopRequested(bool endless);

// Sets the "voutrate" and "voutdelay" features for one command and restores them after it.
class VoutSettings {
 public:
  VoutSettings(uint32_t rate, uint32_t delay);
  ~VoutSettings();
  VoutSettings(const VoutSettings&) = delete;
  VoutSettings& operator=(const VoutSettings&) = delete;

 private:
  uint32_t savedRate_;
  uint32_t savedDelay_;
};
