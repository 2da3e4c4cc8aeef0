// Pictures of the current theme, read whole from its directory, and their state cuts.
#pragma once

#include "platform/win.h"

#include <string>
#include <vector>

#include "ui/image.h"

std::vector<unsigned char> LoadThemePicture(const std::string& file);

// The theme's file for a picture drawn at `percent`: "bg.png" at 150 % is "bg@1.5x.png".
std::string ScaledPictureName(const std::string& file, int percent);

// A picture as drawn for a scale: the file for `percent` where the theme has it, else the 1x one.
struct ScaledPicture {
    std::vector<unsigned char> bytes;
    int percent = 100;
};
ScaledPicture LoadThemePicture(const std::string& file, int percent);

// Natural size of an encoded picture; 0 × 0 when it does not decode.
SIZE PictureSize(const std::vector<unsigned char>& bytes);

struct StatePictures {
    std::vector<unsigned char> usual, light, down;
    int stateWidth = 0; // a third of a strip's width or height, truncated first
    int stateHeight = 0;
    int percent = 100; // the scale the pictures were drawn for
};

// Sizes are those of the pictures loaded: the 96-DPI layout uses the 100 % ones.
StatePictures LoadStatePictures(const std::string& file, PictureLayout layout, int percent = 100);

class WTButton;
// Initialises a button that shows one picture in every state, inside a margin of `margin` pixels.
void InitWholePictureButton(WTButton& button, const std::string& file, int left, int top, int margin);
// Gives the button its three state pictures and the scale they were drawn for.
void SetStatePictures(WTButton& button, const StatePictures& pictures);
// The theme's usual, hover and pressed fills.
void UseThemeFills(WTButton& button);
