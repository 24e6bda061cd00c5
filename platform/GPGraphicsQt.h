#pragma once
// For the window layer: a drawing surface over a painter that is painting a widget (or any
// other device). The painter must outlive the surface; the surface leaves the painter's
// state as it found it when it is destroyed.

#include "platform/GPGraphics.h"

#include <memory>

class QPainter;

std::unique_ptr<TGPGraphics> CreateGraphics(QPainter& painter);
