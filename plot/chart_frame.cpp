#include "chart_frame.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <gdfontl.h>
#include <gdfonts.h>

#include "pixel.h"
#include "text_format.h"

namespace {

// gd takes text as a mutable unsigned char pointer, though it only reads it.
void DrawText(gdImagePtr image, gdFontPtr font, int x, int y, std::string text, int colour) {
  gdImageString(image, font, x, y, reinterpret_cast<unsigned char*>(text.data()), colour);
}

// Paints a filled rectangle, both corners included, clipped to the image as gd
// clips it. gd 2.3 swaps reversed corners and would paint such a rectangle; the
// chart leaves it unpainted instead, which happens only for an image smaller
// than the fixed margins. The rows of a palette image are filled directly: gd
// sets such a rectangle pixel by pixel, which cost more than the rest of the frame.
void FillRectangle(gdImagePtr image, int x1, int y1, int x2, int y2, int colour) {
  if (x2 < x1 || y2 < y1) return;
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, gdImageSX(image) - 1);
  y2 = std::min(y2, gdImageSY(image) - 1);
  if (x2 < x1 || y2 < y1) return;
  for (int y = y1; y <= y2; ++y) {
    std::memset(image->pixels[y] + x1, colour, static_cast<std::size_t>(x2 - x1 + 1));
  }
}

void DrawValueAxis(const ChartContext& context, const ChartParams& params) {
  gdImagePtr image = context.Image.get();
  const int black = context.Palette[kBlack];
  const float tick_spacing =
      static_cast<float>(static_cast<double>(context.PlotBottom - context.PlotTop) / params.YScaleSteps);
  // long long, so that a YScaleSteps of INT_MAX still ends the loop.
  for (long long i = 0; i <= params.YScaleSteps; ++i) {
    const float yf = static_cast<float>(context.PlotTop + i * static_cast<double>(tick_spacing));
    if (const auto y = ToPixel(yf)) {
      gdImageLine(image, context.PlotLeft, *y, context.PlotLeft - layout::kValueTickLength, *y, black);
    }
    if (const auto label_y = ToPixel(static_cast<double>(yf) - layout::kValueLabelRise)) {
      const double value = static_cast<double>(context.ScaleMin) +
                           static_cast<double>(params.YScaleSteps - i) * static_cast<double>(context.ValueStep);
      DrawText(image, gdFontGetSmall(), layout::kValueLabelX, *label_y, FormatFixed(value, 7, 1), black);
    }
  }
}

void DrawTimeAxis(const ChartContext& context) {
  gdImagePtr image = context.Image.get();
  const int black = context.Palette[kBlack];
  const float hour_spacing =
      static_cast<float>(static_cast<double>(context.PlotRight - context.PlotLeft) / layout::kHourCount);
  for (int hour = 0; hour <= layout::kHourCount; ++hour) {
    const float xf = static_cast<float>(context.PlotLeft + hour * static_cast<double>(hour_spacing));
    const auto x = ToPixel(xf);
    if (x) gdImageLine(image, *x, context.PlotBottom, *x, context.PlotBottom + layout::kShortHourTick, black);
    if (hour % 2 != 0) continue;
    if (x) gdImageLine(image, *x, context.PlotBottom, *x, context.PlotBottom + layout::kLongHourTick, black);
    if (const auto label_x = ToPixel(static_cast<double>(xf) - layout::kHourLabelShift)) {
      DrawText(image, gdFontGetSmall(), *label_x, context.PlotBottom + layout::kHourLabelDrop,
               FormatZeroPadded(hour, 2), black);
    }
  }
}

void DrawCaptionAndTitle(const ChartContext& context, const LightCurveSet& set, const ChartParams& params) {
  gdImagePtr image = context.Image.get();
  const std::string caption = "Observation Time [UT] of " + FormatZeroPadded(set.Day, 2) + "/" +
                              FormatZeroPadded(set.Month, 2) + "/" + FormatZeroPadded(set.Year, 4);
  DrawText(image, gdFontGetSmall(), (context.PlotLeft + context.PlotRight) / 2 - layout::kCaptionHalfWidth,
           context.PlotBottom + layout::kCaptionDrop, caption, context.Palette[kBlack]);

  const std::string title = "Lightcurves Quorvix " + std::string(params.TitleComment);
  // The placement counts 7 pixels a character, not the 8 of the large font's
  // cell, so only a title of 21 characters is centred. The length is what gd
  // draws (up to a NUL); wide arithmetic keeps a long comment from overflowing.
  const long long length = static_cast<long long>(std::strlen(title.c_str()));
  const long long title_x = params.ImageWidth / 2 - (layout::kTitleCharWidth * length + layout::kTitleExtra) / 2;
  if (const auto x = ToPixel(static_cast<double>(title_x))) {
    DrawText(image, gdFontGetLarge(), *x, layout::kTitleY, title, context.Palette[kDarkGrey]);
  }
}

}  // namespace

ChartContext DrawChartFrame(const LightCurveSet& set, const ChartParams& params) {
  ChartContext context;
  context.Image.reset(gdImageCreate(params.ImageWidth, params.ImageHeight));
  if (!context.Image) return context;
  gdImagePtr image = context.Image.get();

  // A fresh palette image hands out indices 0, 1, ... in allocation order, so
  // white becomes the background; anything else is not the chart's image.
  for (int colour = 0; colour < kPaletteSize; ++colour) {
    const Rgb& rgb = kPalette[colour];
    context.Palette[colour] = gdImageColorAllocate(image, rgb.red, rgb.green, rgb.blue);
    if (context.Palette[colour] != colour) {
      context.Image.reset();
      return context;
    }
  }

  context.PlotLeft = layout::kPlotLeft;
  context.PlotTop = layout::kPlotTop;
  context.PlotRight = params.ImageWidth - layout::kPlotRightMargin;
  context.PlotBottom = params.ImageHeight - layout::kPlotBottomMargin;
  context.ScaleMin = static_cast<float>(params.YScaleMin);
  context.ValueStep = static_cast<float>(
      (static_cast<double>(static_cast<float>(params.YScaleMax)) - context.ScaleMin) / params.YScaleSteps);
  context.ScaleSpan = static_cast<float>(params.YScaleSteps * static_cast<double>(context.ValueStep));

  // The first rectangle reaches one pixel beyond the image; gd clips it.
  FillRectangle(image, 0, 0, params.ImageWidth, params.ImageHeight, context.Palette[kGrey]);
  FillRectangle(image, layout::kInnerBorder, layout::kInnerBorder, params.ImageWidth - layout::kInnerBorder,
                params.ImageHeight - layout::kInnerBorder, context.Palette[kWhite]);
  FillRectangle(image, context.PlotLeft, context.PlotTop, context.PlotRight, context.PlotBottom,
                context.Palette[kNavy]);

  DrawValueAxis(context, params);
  DrawText(image, gdFontGetSmall(), layout::kUnitLabelX, context.PlotTop - layout::kUnitLabelRise,
           std::string(set.UnitLabel), context.Palette[kBlack]);
  DrawTimeAxis(context);
  DrawCaptionAndTitle(context, set, params);
  return context;
}
