// Pictures of the current theme, read whole from its directory, and their state cuts.
#pragma once

#include "platform/win.h"

#include <string>
#include <vector>

#include "ui/image.h"

std::vector<unsigned char> LoadThemePicture(const std::string& file);

// Natural size of an encoded picture; 0 × 0 when it does not decode.
SIZE PictureSize(const std::vector<unsigned char>& bytes);

struct StatePictures {
    std::vector<unsigned char> usual, light, down;
    int stateWidth = 0; // a third of a strip's width or height, truncated first
    int stateHeight = 0;
};

StatePictures LoadStatePictures(const std::string& file, PictureLayout layout);

class WTButton;
// Initialises a button that shows one picture in every state, inside a margin of `margin` pixels.
void InitWholePictureButton(WTButton& button, const std::string& file, int left, int top, int margin);
// The theme's usual, hover and pressed fills.
void UseThemeFills(WTButton& button);
