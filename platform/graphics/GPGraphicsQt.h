#pragma once
// For the window layer: a drawing surface over a painter that is painting a widget (or any
// other device). The painter must outlive the surface; the surface leaves the painter's
// state as it found it when it is destroyed. The painter's transform at that moment
// places the surface on the device: a painter translated by (-x, -y) makes surface
// point (x, y) the device's top-left pixel.

#include "platform/graphics/GPGraphics.h"

#include <memory>

class QPainter;

std::unique_ptr<TGPGraphics> CreateGraphics(QPainter& painter);
