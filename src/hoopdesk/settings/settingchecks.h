// Checks of stored settings where they are used. The store is a text file anyone can edit, so a
// value that would harm the program or a machine is replaced by a safe one before it is used.
#pragma once

#include <QList>
#include <QRect>
#include <cstdint>

#include "hoopdesk/settings/settings.h"

// The line speeds a serial machine accepts.
bool IsLineSpeed(std::int32_t baudRate);
// The stored line speed, or 9600 when it is none of 9600, 19200 and 38400.
std::int32_t CheckedBaudRate(std::int32_t baudRate);

// The speed track bar's range.
inline constexpr std::int32_t kMinRotSpeed = 120;
inline constexpr std::int32_t kMaxRotSpeed = 1200;
// The stored sewing speed when it lies in the track bar's range (555 stays 555), else 500.
std::int32_t CheckedRotSpeed(std::int32_t rotSpeed);

// A negative limit would make the purge delete without bound: it reads as the default.
std::int32_t CheckedExpireDays(std::int32_t days);
std::int32_t CheckedExpireFiles(std::int32_t files);

// The right-hand panel's width: 315 when not positive, at most `available` when that is positive.
std::int32_t CheckedPanelWidth(std::int32_t width, std::int32_t available);

// The placement with its normal position moved onto a present screen: the screen it overlaps
// most, else the first of `screens` (the primary one). A window larger than that screen is made
// to fit; a rectangle without area takes the first-run size 1022 x 752. Without screens the
// placement is returned unchanged.
TWindowPlacement ClampPlacement(const TWindowPlacement& placement, const QList<QRect>& screens);
