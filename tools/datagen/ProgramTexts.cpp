// The program's own texts and tutorial: the tips of the tip dialog in each
// language, the credits of the about box, the products text of Help >
// Products info, the help of Help > Contents, and the tutorial's pages,
// each a short song of the Basic kit with a text in each language that
// walks through it.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "files/SongFile.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"
#include "toolbox/RTFText.h"
#include "toolbox/SafeFile.h"
#include "tools/datagen/ProgramData.h"

namespace vs::datagen {

namespace {

// English, French, Dutch: the languages 0, 1 and 2 of the tables.
using TWords = std::array<const char*, 3>;

// ------------------------------------------------------------------ tips

const TWords Tips[] = {
    {"Space starts and stops the pattern, or the whole song in song mode.",
     "Espace lance et arrête le motif, ou tout le morceau en mode morceau.",
     "Spatie start en stopt het patroon, of het hele nummer in nummermodus."},
    {"Ctrl+L opens the loop playlist: one column for each pattern, one row for each bar. Drag in it to place or "
     "erase patterns.",
     "Ctrl+L ouvre la liste de lecture : une colonne par motif, une ligne par mesure. Glissez dedans pour placer ou "
     "effacer des motifs.",
     "Ctrl+L opent de afspeellijst: een kolom per patroon, een rij per maat. Sleep erin om patronen te plaatsen of "
     "te wissen."},
    {"Ctrl-drag in the playlist to select the bars that song mode loops over.",
     "Glissez avec Ctrl dans la liste de lecture pour choisir les mesures que le mode morceau joue en boucle.",
     "Sleep met Ctrl in de afspeellijst om de maten te kiezen die de nummermodus herhaalt."},
    {"Right-click a pattern's name at the top of the playlist to give it a name of its own.",
     "Un clic droit sur le nom d'un motif, en haut de la liste de lecture, permet de le renommer.",
     "Klik met rechts op de naam van een patroon boven in de afspeellijst om het een eigen naam te geven."},
    {"Hold K to open the piano roll of the selected channel right under its row; let go and it closes.",
     "Maintenez K pour ouvrir le piano roll du canal choisi juste sous sa ligne ; relâchez et il se ferme.",
     "Houd K ingedrukt om de pianorol van het gekozen kanaal direct onder zijn rij te openen; laat los en hij "
     "sluit."},
    {"Hold Shift for the step graph of the selected channel: F shows the next lane, a right drag draws a straight "
     "line.",
     "Maintenez Maj pour le graphe des pas du canal choisi : F montre la piste suivante, un glissé droit trace une "
     "ligne droite.",
     "Houd Shift ingedrukt voor de stappengrafiek van het gekozen kanaal: F toont de volgende baan, rechts slepen "
     "tekent een rechte lijn."},
    {"A right click on a wheel puts it back to its default value.",
     "Un clic droit sur une molette la remet à sa valeur par défaut.",
     "Een klik met rechts op een draaiknop zet hem terug op zijn standaardwaarde."},
    {"Drag the menu bar, the remote panel or the info bar by its surface to let it float; double-click it to dock "
     "it again.",
     "Faites glisser la barre de menus, le panneau de commande ou la barre d'infos par sa surface pour la rendre "
     "flottante ; un double clic la réancre.",
     "Sleep de menubalk, het bedieningspaneel of de infobalk aan zijn oppervlak om hem te laten zweven; dubbelklik "
     "om hem weer vast te zetten."},
    {"F12 puts a backdrop behind the program, for a tidy desk while you make music.",
     "F12 place un fond derrière le programme, pour un bureau bien rangé pendant que vous faites de la musique.",
     "F12 zet een achtergrond achter het programma, voor een rustig bureaublad terwijl je muziek maakt."},
    {"File > Zipped loop package saves the song together with every sample it uses, ready to hand to a friend.",
     "Fichier > Paquet de boucles zippé enregistre le morceau avec tous les échantillons qu'il utilise, prêt à "
     "partager.",
     "Bestand > Gezipt luspakket bewaart het nummer samen met alle samples die het gebruikt, klaar om te delen."},
    {"The dots window of the View menu lights a lamp for every step that plays, one row for each channel.",
     "La fenêtre des points, dans le menu Affichage, allume une lampe à chaque pas joué, une ligne par canal.",
     "Het stippenvenster in het menu Beeld laat bij elke gespeelde stap een lampje oplichten, een rij per kanaal."},
    {"Start the program with /R and a file name to render the song to a WAV file without opening a window.",
     "Lancez le programme avec /R et un nom de fichier pour rendre le morceau en WAV sans ouvrir de fenêtre.",
     "Start het programma met /R en een bestandsnaam om het nummer naar een WAV-bestand te renderen zonder venster."},
    {"Insert and Delete in the playlist add and remove bars at the selected row.",
     "Inser et Suppr, dans la liste de lecture, ajoutent et retirent des mesures à la ligne choisie.",
     "Insert en Delete in de afspeellijst voegen maten toe en halen ze weg bij de gekozen rij."},
};

// --------------------------------------------------------------- credits

// A paragraph of one run.
TRTFParagraph Line(const std::string& text, const TRTFCharFormat& format, TRTFAlign align = TRTFAlign::Left) {
  TRTFParagraph p;
  p.Align = align;
  AppendRTFText(p, text, format);
  return p;
}

TRTFCharFormat Format(int halfPoints, bool bold, std::optional<uint32_t> colour = std::nullopt) {
  TRTFCharFormat f;
  f.Font = "DejaVu Sans";
  f.HalfPoints = halfPoints;
  f.Bold = bold;
  f.Colour = colour;
  return f;
}

// The credits in a language (0 English, 1 French, 2 Dutch). The Independent
// JPEG Group's notice is given in the words its licence asks for.
std::string AboutText(int language) {
  constexpr uint32_t Amber = 0xF29A2E;
  TRTFDocument doc;
  const auto centre = TRTFAlign::Centre;
  const auto in = [language](const TWords& words) { return words[size_t(language)]; };
  auto heading = [&](const TWords& text) {
    doc.Paragraphs.push_back(Line("", Format(12, false), centre));
    doc.Paragraphs.push_back(Line(in(text), Format(15, true, Amber), centre));
  };
  auto line = [&](const TWords& text) { doc.Paragraphs.push_back(Line(in(text), Format(16, false), centre)); };
  doc.Paragraphs.push_back(Line("VorbelSteps", Format(26, true, Amber), centre));
  line({"A drum machine and step sequencer for Linux.", "Une boîte à rythmes et un séquenceur pas à pas pour Linux.",
        "Een drumcomputer en stappensequencer voor Linux."});
  heading({"PROGRAM", "PROGRAMME", "PROGRAMMA"});
  line({"The VorbelSteps developers", "Les développeurs de VorbelSteps", "De ontwikkelaars van VorbelSteps"});
  heading({"SOUNDS", "SONS", "GELUIDEN"});
  line({"The Basic kit is synthesized by the program's own drum synthesizer.",
        "Le kit Basic est synthétisé par le synthétiseur de batterie du programme.",
        "De Basic-kit wordt gemaakt door de eigen drumsynthesizer van het programma."});
  heading({"PICTURES", "IMAGES", "AFBEELDINGEN"});
  line({"Every picture is drawn by the program's own picture generator.",
        "Chaque image est dessinée par le générateur d'images du programme.",
        "Elke afbeelding wordt getekend door de eigen afbeeldingsgenerator van het programma."});
  heading({"SYNTHESIZERS", "SYNTHÉTISEURS", "SYNTHESIZERS"});
  line({"The MB404 bass voice and the voxrender preset renderer are the program's own.",
        "La voix de basse MB404 et le moteur de préréglages voxrender sont ceux du programme.",
        "De MB404-basstem en de voxrender-presetrenderer zijn van het programma zelf."});
  heading({"BUILT WITH", "CONSTRUIT AVEC", "GEBOUWD MET"});
  line({"Qt, by The Qt Company and the Qt Project", "Qt, par The Qt Company et le Qt Project",
        "Qt, door The Qt Company en het Qt Project"});
  line({"RtAudio and RtMidi, by Gary P. Scavone", "RtAudio et RtMidi, par Gary P. Scavone",
        "RtAudio en RtMidi, door Gary P. Scavone"});
  line({"JACK, by Paul Davis and the JACK developers", "JACK, par Paul Davis et les développeurs de JACK",
        "JACK, door Paul Davis en de JACK-ontwikkelaars"});
  line({"libsndfile, by Erik de Castro Lopo", "libsndfile, par Erik de Castro Lopo",
        "libsndfile, door Erik de Castro Lopo"});
  line({"libzip, by Dieter Baron and Thomas Klausner", "libzip, par Dieter Baron et Thomas Klausner",
        "libzip, door Dieter Baron en Thomas Klausner"});
  line({"libjpeg-turbo, by D. R. Commander and its developers", "libjpeg-turbo, par D. R. Commander et ses développeurs",
        "libjpeg-turbo, door D. R. Commander en zijn ontwikkelaars"});
  const char* const ijg = "This software is based in part on the work of the Independent JPEG Group.";
  line({ijg, ijg, ijg});
  heading({"THANK YOU", "MERCI", "BEDANKT"});
  line({"for making music with VorbelSteps!", "de faire de la musique avec VorbelSteps !",
        "voor het maken van muziek met VorbelSteps!"});
  return WriteRTF(doc);
}

// ------------------------------------------------------ products and help

// A text of topics: a heading and its paragraphs each.
struct TTopic {
  TWords Heading;
  std::vector<TWords> Paragraphs;
};

const TTopic Products[] = {
    {{"VorbelSteps", "VorbelSteps", "VorbelSteps"},
     {{"The drum machine and step sequencer you are using: patterns of steps for every channel, a playlist of bars, "
       "effects, MIDI, and renders to WAV and MIDI files.",
       "La boîte à rythmes et le séquenceur pas à pas que vous utilisez : des motifs de pas pour chaque canal, une "
       "liste de lecture de mesures, des effets, le MIDI et des rendus en fichiers WAV et MIDI.",
       "De drumcomputer en stappensequencer die je gebruikt: patronen van stappen voor elk kanaal, een afspeellijst "
       "van maten, effecten, MIDI en renders naar WAV- en MIDI-bestanden."}}},
    {{"MB404", "MB404", "MB404"},
     {{"The bass synthesizer voice of the program: add one with Channels > Add one > MB404, shape its sound on the "
       "MB404 page of the channel settings and keep it as a \".404\" preset.",
       "La voix de synthé basse du programme : ajoutez-en une par Canaux > Ajouter > MB404, façonnez son son sur la "
       "page MB404 des réglages du canal et gardez-le comme préréglage \".404\".",
       "De bassynthesizerstem van het programma: voeg er een toe met Kanalen > Toevoegen > MB404, vorm de klank op "
       "de MB404-pagina van de kanaalinstellingen en bewaar hem als \".404\"-preset."}}},
    {{"voxrender", "voxrender", "voxrender"},
     {{"The synthesizer preset renderer (libvoxrender.so): it turns \".SYN\" presets into samples when a preset is "
       "loaded into a channel.",
       "Le moteur de rendu des préréglages de synthé (libvoxrender.so) : il change les préréglages \".SYN\" en "
       "échantillons quand un préréglage est chargé dans un canal.",
       "De renderer van synthesizerpresets (libvoxrender.so): hij maakt samples van \".SYN\"-presets wanneer een "
       "preset in een kanaal wordt geladen."}}},
};

const TTopic Help[] = {
    {{"Songs", "Morceaux", "Nummers"},
     {{"A song is made of channels (a sample, an MB404 bass voice or a MIDI instrument each), patterns of up to 64 "
       "steps and a playlist of 512 bars. File > Launch tutorial walks through five short songs.",
       "Un morceau est fait de canaux (un échantillon, une voix de basse MB404 ou un instrument MIDI chacun), de "
       "motifs de 64 pas au plus et d'une liste de lecture de 512 mesures. Fichier > Lancer le didacticiel "
       "parcourt cinq petits morceaux.",
       "Een nummer bestaat uit kanalen (elk een sample, een MB404-basstem of een MIDI-instrument), patronen van "
       "hoogstens 64 stappen en een afspeellijst van 512 maten. Bestand > Handleiding starten loopt door vijf "
       "korte nummers."}}},
    {{"Playing", "Jouer", "Spelen"},
     {{"Space plays and stops the pattern; L switches song mode, which plays the playlist. The keypad's digits "
       "choose patterns 1 to 9, its + and - step through them.",
       "Espace lance et arrête le motif ; L passe en mode morceau, qui joue la liste de lecture. Les chiffres du "
       "pavé numérique choisissent les motifs 1 à 9, ses + et - les font défiler.",
       "Spatie start en stopt het patroon; L schakelt de nummermodus in, die de afspeellijst speelt. De cijfers "
       "van het numerieke toetsenblok kiezen patronen 1 tot 9, de + en - stappen erdoor."},
      {"The faders of the remote panel set the master volume, swing, pitch, resonance and cutoff. Click the tempo "
       "display for the tempo presets.",
       "Les curseurs du panneau de commande règlent le volume général, le swing, la hauteur, la résonance et la "
       "coupure. Cliquez sur l'affichage du tempo pour ses préréglages.",
       "De schuiven van het bedieningspaneel regelen het hoofdvolume, de swing, de toonhoogte, de resonantie en "
       "de cutoff. Klik op de tempo-aanduiding voor de tempopresets."}}},
    {{"Channels", "Canaux", "Kanalen"},
     {{"Click a step to switch it on and right-click it to switch it off; drag with either button to do so "
       "across several steps. (With \"Use both mouse buttons\" off in the settings, a click switches a step on or "
       "off, and a right click on a lit step turns its volume or pan.) 1 to 9 and 0 mute channels 1 to 10, with "
       "Ctrl they play solo.",
       "Cliquez sur un pas pour l'allumer, et du bouton droit pour l'éteindre ; glissez avec l'un ou l'autre "
       "bouton pour en changer plusieurs. (Sans « Utiliser les deux boutons de la souris » dans les réglages, un "
       "clic allume ou éteint un pas, et un clic droit sur un pas allumé règle son volume ou son panoramique.) 1 "
       "à 9 et 0 coupent les canaux 1 à 10, avec Ctrl ils jouent en solo.",
       "Klik op een stap om hem aan te zetten en klik er met rechts op om hem uit te zetten; sleep met een van "
       "beide knoppen om dat over meerdere stappen te doen. (Met \"Beide muisknoppen gebruiken\" uit in de "
       "instellingen zet een klik een stap aan of uit, en regelt een klik met rechts op een verlichte stap zijn "
       "volume of pan.) 1 tot 9 en 0 dempen kanalen 1 tot 10, met Ctrl spelen ze solo."},
      {"Click a channel's name for its settings window; right-click it for its line menu: load a sample, cut, copy "
       "and paste steps, shift, fill, humanize, insert or delete channels.",
       "Cliquez sur le nom d'un canal pour sa fenêtre de réglages ; un clic droit ouvre son menu : charger un "
       "échantillon, couper, copier et coller des pas, décaler, remplir, humaniser, insérer ou supprimer des "
       "canaux.",
       "Klik op de naam van een kanaal voor zijn instellingenvenster; klik met rechts voor zijn menu: een sample "
       "laden, stappen knippen, kopiëren en plakken, verschuiven, vullen, humaniseren, kanalen invoegen of "
       "verwijderen."},
      {"Channels > Add one adds a drum channel or an MB404 bass voice.",
       "Canaux > Ajouter ajoute un canal de batterie ou une voix de basse MB404.",
       "Kanalen > Toevoegen voegt een drumkanaal of een MB404-basstem toe."}}},
    {{"Step values", "Valeurs des pas", "Stapwaarden"},
     {{"Hold V for the volume and pan bars of the steps, P for pitch and mix. Drag a bar up or down; with Ctrl "
       "every step of the row follows. Hold K for the piano roll of the selected channel, Shift for its step "
       "graph (F shows the next lane).",
       "Maintenez V pour les barres de volume et de panoramique des pas, P pour la hauteur et le mélange. Glissez "
       "une barre vers le haut ou le bas ; avec Ctrl tous les pas de la ligne suivent. Maintenez K pour le piano "
       "roll du canal choisi, Maj pour son graphe des pas (F montre la piste suivante).",
       "Houd V ingedrukt voor de volume- en panbalken van de stappen, P voor toonhoogte en mix. Sleep een balk "
       "omhoog of omlaag; met Ctrl volgen alle stappen van de rij. Houd K ingedrukt voor de pianorol van het "
       "gekozen kanaal, Shift voor zijn stappengrafiek (F toont de volgende baan)."}}},
    {{"Playlist", "Liste de lecture", "Afspeellijst"},
     {{"Ctrl+L opens the playlist: one column per pattern, one row per bar. Drag to place or erase patterns, "
       "Ctrl-drag to choose the bars song mode loops over; Insert and Delete add and remove bars.",
       "Ctrl+L ouvre la liste de lecture : une colonne par motif, une ligne par mesure. Glissez pour placer ou "
       "effacer des motifs, avec Ctrl pour choisir les mesures que le mode morceau joue en boucle ; Inser et Suppr "
       "ajoutent et retirent des mesures.",
       "Ctrl+L opent de afspeellijst: een kolom per patroon, een rij per maat. Sleep om patronen te plaatsen of te "
       "wissen, met Ctrl om de maten te kiezen die de nummermodus herhaalt; Insert en Delete voegen maten toe en "
       "halen ze weg."}}},
    {{"Saving and sharing", "Enregistrer et partager", "Opslaan en delen"},
     {{"File > Save as writes the song, a WAV render, a MIDI file or a zipped package with every sample the song "
       "uses. Ctrl+R renders to WAV, Ctrl+M to MIDI. Options > Loop info gives the song a title, a description and "
       "a web address.",
       "Fichier > Enregistrer sous écrit le morceau, un rendu WAV, un fichier MIDI ou un paquet zippé avec tous "
       "les échantillons qu'il utilise. Ctrl+R fait le rendu en WAV, Ctrl+M en MIDI. Options > Infos sur la "
       "boucle donne au morceau un titre, une description et une adresse web.",
       "Bestand > Opslaan als schrijft het nummer, een WAV-render, een MIDI-bestand of een gezipt pakket met alle "
       "samples die het nummer gebruikt. Ctrl+R rendert naar WAV, Ctrl+M naar MIDI. Opties > Loop-info geeft het "
       "nummer een titel, een beschrijving en een webadres."}}},
    {{"Settings", "Réglages", "Instellingen"},
     {{"The Options menu opens the program's settings: the sound and MIDI devices, the WAV output, the folders, "
       "the plug-in effects and the language. Tools > Configure lists outside programs for the Tools menu.",
       "Le menu Options ouvre les réglages du programme : les périphériques audio et MIDI, la sortie WAV, les "
       "dossiers, les effets en plug-in et la langue. Outils > Configurer liste des programmes extérieurs pour le "
       "menu Outils.",
       "Het menu Opties opent de instellingen van het programma: de geluids- en MIDI-apparaten, de WAV-uitvoer, "
       "de mappen, de plug-in-effecten en de taal. Gereedschap > Instellen zet externe programma's in het menu "
       "Gereedschap."}}},
};

// The topics in one language, a gap before each heading and paragraph but
// the first.
std::string TopicsText(const TTopic* topics, size_t count, int language) {
  constexpr uint32_t Heading = 0xB4570F;
  TRTFDocument doc;
  auto gap = [&](int halfPoints) {
    if (!doc.Paragraphs.empty()) doc.Paragraphs.push_back(Line("", Format(halfPoints, false)));
  };
  for (size_t t = 0; t < count; ++t) {
    gap(10);
    doc.Paragraphs.push_back(Line(topics[t].Heading[size_t(language)], Format(24, true, Heading)));
    bool first = true;
    for (const TWords& text : topics[t].Paragraphs) {
      if (!std::exchange(first, false)) gap(8);
      doc.Paragraphs.push_back(Line(text[size_t(language)], Format(20, false)));
    }
  }
  return WriteRTF(doc);
}

// -------------------------------------------------------------- tutorial

struct TTutorialPage {
  TWords Title;
  std::vector<TWords> Paragraphs;
  void (*Song)(TSong& song);
};

void FourOnTheFloor(TSong& song, int pattern) {
  for (int s : {0, 4, 8, 12}) KitHit(song, Kick, pattern, s, s == 0 ? 112 : 100);
  for (int s : {4, 12}) KitHit(song, Snare, pattern, s, 104);
}

void Hats(TSong& song, int pattern) {
  for (int s = 0; s < 16; s += 2)
    if (s != 14) KitHit(song, ClosedHat, pattern, s, s % 4 == 2 ? 112 : 72);
  KitHit(song, OpenHat, pattern, 14, 96);
  for (int s : {4, 12}) KitHit(song, Clap, pattern, s, 84);
}

void FirstBeat(TSong& song) {
  FourOnTheFloor(song, 1);
  song.BPM = 110;
}

void HatsBeat(TSong& song) {
  FourOnTheFloor(song, 1);
  Hats(song, 1);
  song.BPM = 112;
}

void PatternsSong(TSong& song) {
  FourOnTheFloor(song, 1);
  Hats(song, 1);
  // The fill: the beat thins out into a tom run and a snare roll.
  for (int s : {0, 4, 8}) KitHit(song, Kick, 2, s, 104);
  KitHit(song, Snare, 2, 4, 104);
  for (int s : {0, 2, 6, 8}) KitHit(song, ClosedHat, 2, s, 90);
  const int toms[][2] = {{10, 132}, {11, 124}, {12, 114}, {13, 104}};
  for (const auto& t : toms) KitHit(song, Tom, 2, t[0], 100, t[1]);
  for (int s : {13, 14, 15}) KitHit(song, Snare, 2, s, 70 + (s - 13) * 18);
  song.PatternNames[1].Name = "Beat";
  song.PatternNames[2].Name = "Fill";
  const int bars[] = {1, 1, 1, 2};
  for (int bar = 0; bar < 4; ++bar) song.Playlist.PlaylistBars[bar].push_back(bars[bar]);
  song.Playlist.ComputeSongEnd();
  song.BPM = 118;
}

void MelodySong(TSong& song) {
  for (int s : {0, 4, 8, 12}) KitHit(song, Kick, 1, s, 104);
  for (int s = 2; s < 16; s += 4) KitHit(song, ClosedHat, 1, s, 100);
  // A phrase on the tom, in notes (60 plays the sample as it is).
  const int notes[16] = {55, 0, 0, 58, 0, 60, 0, 0, 63, 0, 60, 0, 58, 0, 55, 0};
  TChannel& tom = *song.Channels[Tom];
  for (int s = 0; s < 16; ++s) {
    if (!notes[s]) continue;
    KitHit(song, Tom, 1, s, s % 4 == 0 ? 110 : 88);
    tom.Steps.SetStepValue(1, s, static_cast<uint8_t>(notes[s]), PlaneNote);
  }
  song.BPM = 104;
}

void KeepSong(TSong& song) {
  PatternsSong(song);
  KitHit(song, Crash, 1, 0, 100);
  KitHit(song, Rim, 1, 7, 70);
  song.BPM = 120;
}

const std::vector<TTutorialPage>& TutorialPages() {
  static const std::vector<TTutorialPage> pages = {
      {{"1. Your first beat", "1. Votre premier rythme", "1. Je eerste beat"},
       {{"Each row of the rack is a channel: one sound of the drum kit. The keys to its right are its steps; "
         "sixteen steps make a bar of four beats.",
         "Chaque ligne du rack est un canal : un son du kit de batterie. Les touches à sa droite sont ses pas ; "
         "seize pas font une mesure de quatre temps.",
         "Elke rij van het rek is een kanaal: een geluid van het drumkit. De toetsen rechts ervan zijn zijn stappen; "
         "zestien stappen vormen een maat van vier tellen."},
        {"This page's pattern has a kick on every beat and a snare on beats two and four. Press Space to play it, "
         "and Space again to stop.",
         "Le motif de cette page a une grosse caisse sur chaque temps et une caisse claire sur les temps deux et "
         "quatre. Appuyez sur Espace pour le jouer, et encore pour l'arrêter.",
         "Het patroon van deze pagina heeft een basdrum op elke tel en een snare op tel twee en vier. Druk op "
         "Spatie om het te spelen, en nog eens om te stoppen."},
        {"Click a dark step to switch it on, right-click a lit one to switch it off. Try a kick on step 11 while "
         "it plays.",
         "Cliquez sur un pas éteint pour l'allumer, et du bouton droit sur un pas allumé pour l'éteindre. Essayez "
         "une grosse caisse sur le pas 11 pendant la lecture.",
         "Klik op een donkere stap om hem aan te zetten, en met rechts op een verlichte om hem uit te zetten. "
         "Probeer een basdrum op stap 11 terwijl het speelt."}},
       FirstBeat},
      {{"2. Hi-hats and groove", "2. Charleston et groove", "2. Hi-hats en groove"},
       {{"Closed hats on every second step keep the time; the louder ones between the beats give the groove its "
         "lift.",
         "Les charlestons fermés, un pas sur deux, tiennent le temps ; les plus forts, entre les temps, donnent "
         "son élan au groove.",
         "Gesloten hi-hats op elke tweede stap houden de maat; de luidere tussen de tellen geven de groove zijn "
         "vaart."},
        {"The open hat on step 15 rings until the next closed hat cuts it off: the two hats share a cut group, as "
         "on a real kit.",
         "Le charleston ouvert du pas 15 sonne jusqu'à ce que le charleston fermé suivant le coupe : les deux "
         "partagent un groupe de coupure, comme sur une vraie batterie.",
         "De open hi-hat op stap 15 klinkt tot de volgende gesloten hi-hat hem afkapt: de twee delen een "
         "afkapgroep, zoals op een echt drumstel."},
        {"The wheel at the left of each row sets the channel's volume; a right click puts it back where it was "
         "made.",
         "La molette à gauche de chaque ligne règle le volume du canal ; un clic droit la remet à sa valeur de "
         "départ.",
         "De draaiknop links van elke rij regelt het volume van het kanaal; een klik met rechts zet hem terug op "
         "zijn beginwaarde."}},
       HatsBeat},
      {{"3. Patterns and songs", "3. Motifs et morceaux", "3. Patronen en nummers"},
       {{"A song is made of patterns: here pattern 1 holds the beat and pattern 2 a fill. The pattern pad chooses "
         "the pattern you see and edit.",
         "Un morceau est fait de motifs : ici le motif 1 contient le rythme et le motif 2 un break. Le pavé des "
         "motifs choisit celui que vous voyez et modifiez.",
         "Een nummer bestaat uit patronen: hier bevat patroon 1 de beat en patroon 2 een fill. Het patroonblok "
         "kiest het patroon dat je ziet en bewerkt."},
        {"Press Ctrl+L for the loop playlist: one column for each pattern, one row for each bar. Drag in it to "
         "place or erase patterns.",
         "Appuyez sur Ctrl+L pour la liste de lecture : une colonne par motif, une ligne par mesure. Glissez "
         "dedans pour placer ou effacer des motifs.",
         "Druk op Ctrl+L voor de afspeellijst: een kolom per patroon, een rij per maat. Sleep erin om patronen te "
         "plaatsen of te wissen."},
        {"Switch song mode on and play: three bars of the beat, then the fill, and round again.",
         "Activez le mode morceau et jouez : trois mesures du rythme, puis le break, et on recommence.",
         "Zet de nummermodus aan en speel: drie maten beat, dan de fill, en weer van voren af aan."}},
       PatternsSong},
      {{"4. Melodies", "4. Mélodies", "4. Melodieën"},
       {{"Every step has a note as well. Click the tom's select lamp, left of its name, then hold K: the piano "
         "roll opens under its row, showing the tom's steps as notes.",
         "Chaque pas a aussi une note. Cliquez sur le voyant de sélection du tom, à gauche de son nom, puis "
         "maintenez K : le piano roll s'ouvre sous sa ligne, avec les pas du tom en notes.",
         "Elke stap heeft ook een noot. Klik op het selectielampje van de tom, links van zijn naam, en houd K "
         "ingedrukt: de pianorol opent onder zijn rij, met de stappen van de tom als noten."},
        {"Drag with the left button to set steps at the key under the pointer, with the right button to take "
         "them away.",
         "Glissez avec le bouton gauche pour poser des pas sur la touche sous le pointeur, avec le bouton droit "
         "pour les retirer.",
         "Sleep met de linkerknop om stappen te zetten op de toets onder de wijzer, met de rechterknop om ze weg "
         "te halen."},
        {"Hold Shift instead for the step graph: each step's values as bars. F shows the next lane.",
         "Maintenez plutôt Maj pour le graphe des pas : les valeurs de chaque pas en barres. F montre la piste "
         "suivante.",
         "Houd in plaats daarvan Shift ingedrukt voor de stappengrafiek: de waarden van elke stap als balken. F "
         "toont de volgende baan."}},
       MelodySong},
      {{"5. Keep your work", "5. Gardez votre travail", "5. Bewaar je werk"},
       {{"Each page opened its song as an untitled one: save it under a name of your own to keep what you "
         "changed.",
         "Chaque page a ouvert son morceau sans titre : enregistrez-le sous votre propre nom pour garder vos "
         "changements.",
         "Elke pagina opende zijn nummer zonder titel: bewaar het onder een eigen naam om je wijzigingen te "
         "houden."},
        {"File > Save as writes the song, a WAV file of it, a Standard MIDI File, or a zipped loop package with "
         "the song and all its samples.",
         "Fichier > Enregistrer sous écrit le morceau, un fichier WAV, un fichier MIDI standard, ou un paquet de "
         "boucles zippé avec le morceau et tous ses échantillons.",
         "Bestand > Opslaan als schrijft het nummer, een WAV-bestand ervan, een standaard MIDI-bestand, of een "
         "gezipt luspakket met het nummer en al zijn samples."},
        {"Have fun making music!", "Amusez-vous bien !", "Veel plezier met muziek maken!"}},
       KeepSong},
  };
  return pages;
}

std::string PageText(const TTutorialPage& page, int language) {
  constexpr uint32_t Heading = 0xB4570F;  // deep amber, for dark ink on paper
  TRTFDocument doc;
  doc.Paragraphs.push_back(Line(page.Title[language], Format(30, true, Heading)));
  for (const TWords& words : page.Paragraphs) {
    doc.Paragraphs.push_back(Line("", Format(10, false)));
    doc.Paragraphs.push_back(Line(words[language], Format(21, false)));
  }
  return WriteRTF(doc);
}

bool Write(const std::string& file, const std::string& bytes, std::string& error) {
  if (ForceDirectory(ExtractFilePath(file)) && WriteFileSafely(file, bytes)) return true;
  error = "cannot write " + file;
  return false;
}

}  // namespace

bool WriteProgramTexts(const std::string& root, std::string& error) {
  // English as "Tips.txt", "InfoTxt.rtf" and "HelpTxt.rtf", the other
  // languages with "_<n>" before the extension.
  for (int language = 0; language < 3; ++language) {
    const std::string suffix = language == 0 ? "" : "_" + std::to_string(language);
    std::string tips;
    for (const TWords& tip : Tips) tips += std::string(tip[size_t(language)]) + "\n";
    if (!Write(root + "Texts/Tips" + suffix + ".txt", tips, error) ||
        !Write(root + "Texts/InfoTxt" + suffix + ".rtf", TopicsText(Products, std::size(Products), language), error) ||
        !Write(root + "Texts/HelpTxt" + suffix + ".rtf", TopicsText(Help, std::size(Help), language), error))
      return false;
  }
  for (int language = 0; language < 3; ++language) {
    const std::string suffix = language == 0 ? "" : "_" + std::to_string(language);
    if (!Write(root + "Texts/AboutTxt" + suffix + ".rtf", AboutText(language), error)) return false;
  }

  const std::string folder = root + "Loops/Tutorial/";
  const std::vector<TTutorialPage>& pages = TutorialPages();
  for (size_t p = 0; p < pages.size(); ++p) {
    const std::string page = "Tut_" + std::to_string(p);
    std::unique_ptr<TSong> song = MakeKitSong();
    pages[p].Song(*song);
    song->Info.Title = pages[p].Title[0];
    song->SetModified(false);
    if (!ForceDirectory(folder)) {
      error = "cannot create " + folder;
      return false;
    }
    if (const TWriteResult saved = SaveSong(folder + page + ".zmp", *song); !saved) {
      error = "cannot write " + folder + page + ".zmp: " + saved.Reason();
      return false;
    }
    for (int language = 0; language < 3; ++language)
      if (!Write(folder + "Texts_" + std::to_string(language) + "/" + page + ".rtf", PageText(pages[p], language),
                 error))
        return false;
  }
  return true;
}

}  // namespace vs::datagen
