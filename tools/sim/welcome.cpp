// The text is kept as Windows-1250 bytes, as every Polish literal of the tree, and given
// out as UTF-8, the simulator's own encoding.
#include "tools/sim/welcome.h"

#include "support/cp1250.h"
#include "support/kwartlin_version.h"
#include "tools/sim/codec.h"

namespace kwsim {
namespace {

using kw::operator""_w;

constexpr std::string_view kText =
    "kwartlin-sim " KW_VERSION_TEXT "\n"
    "\n"
    "PL  Symulator komunikatora Tlen dla wtyczki Kwartlin: sprawdza skrypty i listy\n"
    "    antyspamowe oraz uruchamia wtyczkę z Twoim skryptem, bez komunikatora.\n"
    "    To program wiersza poleceń: nie uruchamia się go dwuklikiem, lecz w oknie\n"
    "    cmd. Aby otworzyć cmd w tym folderze, kliknij pasek adresu Eksploratora,\n"
    "    wpisz cmd i naciśnij Enter. Potem wpisz na przykład:\n"
    "\n"
    "      kwartlin-sim check \"C:\\ścieżka\\do\\plugins\\Kwartlin\\Kwartlin.dat\"\n"
    "          sprawdza skrypt i pokazuje błędy\n"
    "      kwartlin-sim shell --plugins-from \"C:\\ścieżka\\do\\plugins\"\n"
    "          uruchamia wtyczkę z Twoim skryptem; help pokazuje polecenia\n"
    "      kwartlin-sim run rozmowa.txt\n"
    "          odtwarza zapisaną rozmowę\n"
    "      kwartlin-sim help\n"
    "          pokazuje wszystkie polecenia i opcje\n"
    "\n"
    "    Więcej w przewodniku „Symulator w Windows”.\n"
    "\n"
    "EN  The Tlen messenger simulator for the Kwartlin plugin: it checks scripts\n"
    "    and spam lists and runs the plugin with your script, without the\n"
    "    messenger. It is a command-line program: start it in a cmd window, not\n"
    "    with a double-click. To open cmd in this folder, click Explorer's address\n"
    "    bar, type cmd and press Enter. Then type, for example:\n"
    "\n"
    "      kwartlin-sim check \"C:\\path\\to\\plugins\\Kwartlin\\Kwartlin.dat\"\n"
    "          checks a script and shows its mistakes\n"
    "      kwartlin-sim shell --plugins-from \"C:\\path\\to\\plugins\"\n"
    "          runs the plugin with your script; help shows the commands\n"
    "      kwartlin-sim run conversation.txt\n"
    "          replays a saved conversation\n"
    "      kwartlin-sim help\n"
    "          shows every command and option\n"
    "\n"
    "    More in the guide \"The simulator on Windows\".\n"
    "\n"
    "Naciśnij dowolny klawisz, aby zamknąć to okno.\n"
    "Press any key to close this window.\n"_w;

}  // namespace

std::string WelcomeText() { return Cp1250ToUtf8(kText); }

}  // namespace kwsim
