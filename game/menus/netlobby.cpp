#include "game/menus/netlobby.h"

#include <algorithm>
#include <array>
#include <string>

#include "game/menus/mainmenu.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

TCheckWidget RusChatBox, AsServerBox, CrowBox;
TTrackWidget PartnersBar;

// The hover highlight is drawn where the pictures stand; the back button's hit area lies two
// pixels to the right of its picture.
constexpr std::array<MenuButtonRect, 2> LobbyHighlight{{{35, 172, 108, 188}, {211, 172, 287, 188}}};
constexpr std::array<MenuButtonRect, 2> MapChoiceButtons{{MapChoiceAcceptButton, MapChoiceBackButton}};

void LobbyEscape() { OpenMainMenu(); }

}  // namespace

void OpenNetLobby() {
  GameOptionsBackup = GameOptions;
  OpenMenuScreen(ScreenNetLobby);
  CheckBoxCreate(RusChatBox, 13, 137, 125, &GameOptions.RusChat);
  CheckBoxCreate(AsServerBox, 13, 153, 182, &GameOptions.AsServer);
  CheckBoxCreate(CrowBox, 213, 137, 70, &GameOptions.CrowEnable);
  EditLineCreate(EditBox1, 33, 32);
  EditLineSetText(EditBox1, GameOptions.PlayerName);
  EditBox1.Focus = 0;
  EditLineCreate(EditBox2, 33, 75);
  EditLineSetText(EditBox2, GameOptions.Server);
  TrackBarCreate(PartnersBar, 33, 120, 1, 8, 1, &GameOptions.Partners);
}

void NetLobbyDraw() {
  if (!BeginMenuFrame(LobbyEscape)) return;
  DrawMenuBackground();
  DrawPicture("tnikname.img", 33, 15, true);
  DrawPicture("tserver.img", 33, 58, true);
  DrawPicture("tplayers.img", 33, 101, true);
  DrawPicture("truschat.img", 33, 137, true);
  DrawPicture("tsrvwork.img", 33, 153, true);
  DrawPicture("txtcrows.img", 233, 137, true);
  RecolorRect(10, 5, 300, 190, 0, MenuSide());
  DrawPicture("butt-ok.img", 35, 172);
  DrawPicture("butback2.img", 211, 172);
  DrawPicture("digitbox.img", 125, 98);
  DrawText(MainFont, 131, 104, 43, std::to_string(GameOptions.Partners));
  CheckBoxDraw(RusChatBox);
  CheckBoxDraw(AsServerBox);
  CheckBoxDraw(CrowBox);
  EditLineDraw(EditBox1);
  EditLineDraw(EditBox2);
  TrackBarDraw(PartnersBar);
  DrawHoverHighlight(LobbyHighlight, MenuSide());
  EndMenuFrame();
}

void NetLobbyClick() {
  const long x = ClickX(), y = ClickY();
  if (InsideButton(LobbyAcceptButton, x, y)) {
    PlayButtonSound();
    NetGameStarted = 0;
    ResetGameRecords();
    GameOptions.PlayerName = EditBox1.Text;
    GameOptions.Server = EditBox2.Text;
    GameOptions.Partners = std::clamp<std::int32_t>(GameOptions.Partners, 1, MaxPlayers);
    SetUnitSlotsForPlayers(GameOptions.Partners);
    SetBuildingSlotsForPlayers(GameOptions.Partners);
    if (GameOptions.AsServer) {
      NetRole = RoleServer;
      OpenNetMapChoice();
    } else {
      NetRole = RoleClient;
      GameScreen = ScreenPlay;
    }
    return;
  }
  if (InsideButton(LobbyBackButton, x, y)) {
    PlayButtonSound();
    OpenMainMenu();
    GameOptions = GameOptionsBackup;
    return;
  }
  const int cx = static_cast<int>(x), cy = static_cast<int>(y);
  EditLineMouseDown(EditBox1, cx, cy);
  EditLineMouseDown(EditBox2, cx, cy);
  CheckBoxMouseDown(RusChatBox, cx, cy);
  CheckBoxMouseDown(AsServerBox, cx, cy);
  CheckBoxMouseDown(CrowBox, cx, cy);
  TrackBarMouseDown(PartnersBar, cx, cy);
}

void OpenNetMapChoice() {
  OpenMenuScreen(ScreenNetMapChoice);
  ListBoxCreate(FileListBox, 33, 32, true);
  SideChooserCreate(SideChooser, 33, 142);
  ListMaps();
}

void NetMapChoiceDraw() {
  if (!BeginMenuFrame(OpenNetLobby)) return;
  DrawMenuBackground();
  DrawPicture("textmap.img", 33, 15, true);
  RecolorRect(10, 5, 300, 190, 0, MenuSide());
  DrawPicture("butt-ok.img", 33, 170);
  DrawPicture("butback2.img", 211, 170);
  ListBoxDraw(FileListBox, MouseX, MouseY);
  SideChooserDraw(SideChooser);
  DrawHoverHighlight(MapChoiceButtons, MenuSide());
  EndMenuFrame();
}

void NetMapChoiceClick() {
  const long x = ClickX(), y = ClickY();
  if (InsideButton(MapChoiceAcceptButton, x, y)) {
    PlayButtonSound();
    const std::uint8_t side = SideChooser.Selected;
    if (side >= 8 || FileListBox.Items.empty()) return;
    const std::size_t row = std::min<std::size_t>(FileListBox.Selection, FileListBox.Items.size() - 1);
    MapFileName = FileListBox.Items[row] + ".map";
    GameScreen = ScreenPlay;
    NetGameStarted = 0;
    NetRole = RoleServer;
    LocalPlayer = 1;
    ResetPlayerSlots();
    TPlayerConnection& seat = PlayerConnections[1];
    seat.Connected = 1;
    seat.Name = GameOptions.PlayerName;
    seat.Side = side;
    seat.PlayerNumber = 1;
    ViewState.LocalSide = side;
    SideChooser.Available[side] = 0;
    ResetPlayerRecords();
    SetUnitSlotsForPlayers(GameOptions.Partners);
    SetBuildingSlotsForPlayers(GameOptions.Partners);
    InitPlayerRecord(Players[1], 1, side, 1000);
    return;
  }
  if (InsideButton(MapChoiceBackButton, x, y)) {
    PlayButtonSound();
    OpenNetLobby();
    return;
  }
  const int cx = static_cast<int>(x), cy = static_cast<int>(y);
  ListBoxMouseDown(FileListBox, cx, cy);
  SideChooserMouseDown(SideChooser, cx, cy);
}

}  // namespace zarn
