// Where `make install` puts VORN's udev rule, which gives the logged-in user the USB bridge and
// the board's UIO devices; messages about missing permissions point to it.
#pragma once

#ifndef VORN_UDEV_RULE
#define VORN_UDEV_RULE "/etc/udev/rules.d/70-vorn.rules"
#endif
inline constexpr const char* kUdevRulePath = VORN_UDEV_RULE;
