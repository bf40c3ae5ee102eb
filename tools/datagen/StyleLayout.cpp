#include "tools/datagen/StyleLayout.h"

#include <cstdint>
#include <initializer_list>

namespace vs::datagen {

namespace {

// A colour as config.txt writes it: $00BBGGRR in decimal.
std::string Colour(int r, int g, int b) {
  return std::to_string(static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
                        (static_cast<uint32_t>(b) << 16));
}

std::string Place(const TLayoutRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Width) + "," +
         std::to_string(r.Height);
}

template <size_t N>
void AddPlaces(std::string& text, const char* comment, const TLayoutPlace (&places)[N]) {
  text += "' ";
  text += comment;
  text += "\r\n";
  for (const TLayoutPlace& p : places) text += std::string(p.Name) + "=" + Place(p.Rect) + "\r\n";
}

std::string Line(const char* key, const std::string& value) { return std::string(key) + "=" + value + "\r\n"; }

std::string Colours(std::initializer_list<std::string> colours) {
  std::string out;
  for (const std::string& c : colours) out += (out.empty() ? "" : ",") + c;
  return out;
}

}  // namespace

std::string DefaultStyleConfig() {
  std::string t;
  t += "' VorbelSteps default style: a dark instrument panel\r\n";
  t += "' key=value lines; lines beginning with an apostrophe are comments\r\n";
  t += "' colours are $00BBGGRR values written in decimal\r\n";
  t += Line("Hint", "VorbelSteps");
  std::string seps;
  for (int i = 1; i < MenuTitles; ++i) seps += (i > 1 ? "," : "") + std::to_string(MenuTitleLeft(i));
  t += Line("MenuSep", seps);
  t += Line("TitleFont", "DejaVu Sans," + Colour(214, 218, 224) + ",12");
  t += Line("HintFont", "DejaVu Sans," + Colour(255, 190, 96) + ",11");
  // Left channel phosphor green, right channel amber: centre and edge each.
  t += Line("ScopeCol", Colours({Colour(120, 255, 200), Colour(18, 84, 66), Colour(255, 184, 72), Colour(96, 52, 12)}));
  t += Line("SampleScopeCol", Colours({Colour(22, 24, 28), Colour(44, 48, 56), Colour(110, 240, 196)}));
  // Pan, Vol, Pitch, Mix, Reso, Cutoff, Shift, note.
  t += Line("GraphCol", Colours({Colour(88, 196, 255), Colour(255, 176, 58), Colour(120, 230, 120), Colour(196, 128, 255),
                                 Colour(255, 96, 88), Colour(72, 140, 255), Colour(240, 224, 96), Colour(200, 200, 208)}));
  t += Line("MainScrollerCol", Colour(62, 66, 74));
  t += Line("ChanBtns", std::to_string(RowSteps.Left) + "," + std::to_string(RowSteps.Top) + "," +
                            std::to_string(RowWheel.Left) + "," + std::to_string(RowWheel.Top) + "," +
                            std::to_string(RowMute.Left) + "," + std::to_string(RowMute.Top) + "," +
                            std::to_string(RowSelect.Left) + "," + std::to_string(RowSelect.Top) + "," +
                            std::to_string(RowName.Left) + "," + std::to_string(RowName.Top));
  t += Line("nNotesShown", "16");
  AddPlaces(t, "caption", CaptionPlaces);
  AddPlaces(t, "menu line", MenuLinePlaces);
  AddPlaces(t, "panel", PanelPlaces);
  AddPlaces(t, "info bar", BottomPlaces);
  t += "' sample browser\r\n";
  t += Line("SBTitleFont", "DejaVu Sans," + Colour(214, 218, 224) + ",12");
  t += Line("SBTreeFont", "DejaVu Sans," + Colour(182, 182, 186) + ",10");
  t += Line("SBCol", Colours({Colour(208, 16, 16), Colour(255, 80, 16), Colour(182, 182, 186), Colour(246, 246, 250),
                              Colour(208, 16, 128), Colour(255, 80, 128), Colour(159, 112, 144), Colour(239, 208, 224)}));
  t += Line("SBScrollerCol", Colour(62, 66, 74));
  return t;
}

std::string LightStyleConfig() {
  std::string t;
  t += "' VorbelSteps light style: brushed aluminium; everything not set here\r\n";
  t += "' comes from the default style\r\n";
  t += Line("Hint", "VorbelSteps - light");
  t += Line("TitleFont", "DejaVu Sans," + Colour(40, 44, 52) + ",12");
  t += Line("ScopeCol", Colours({Colour(40, 60, 70), Colour(150, 170, 176), Colour(200, 90, 20), Colour(200, 170, 140)}));
  // Snow falls in the scope's window and piles up at its bottom.
  t += Line("ScopeFX", "1");
  t += Line("MainScrollerCol", Colour(168, 172, 178));
  return t;
}

}  // namespace vs::datagen
