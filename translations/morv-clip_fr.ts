<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Bienvenue dans morv-clip, l’historique du presse-papiers</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Collage</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>Après le choix d’une entrée, appuyer sur les touches de collage dans la fenêtre qui avait le focus avant l’ouverture du menu</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>&amp;Coller dans la fenêtre d’où vous venez</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Fenêtres qui collent avec Ctrl+Maj+V (une classe de fenêtre par ligne)&#xa0;:</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>Les terminaux prennent Ctrl+V pour un caractère de contrôle et collent avec Ctrl+Maj+V</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Ce compositeur n’indique pas aux programmes quelle fenêtre a le focus&#xa0;: chaque fenêtre reçoit Ctrl+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>Le serveur X n’a pas l’extension XTEST&#xa0;: aucune touche ne peut être pressée dans d’autres fenêtres.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Ce compositeur Wayland ne laisse aucun programme presser des touches dans d’autres fenêtres (il n’offre pas de clavier virtuel)&#xa0;: choisissez l’entrée, puis collez vous-même avec Ctrl+V.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>Aucune touche ne peut être pressée dans d’autres fenêtres sur cette plate-forme.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>Préférences de morv-clip</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Préférences</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Nombre d’entrées&#xa0;:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Nombre maximal d’entrées de l’historique dans le menu</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> entrées</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Longueur d’affichage maximale&#xa0;:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Longueur du texte d’aperçu dans le menu</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> caractères</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Utile pour les grands blocs de texte copiés, par exemple, depuis des terminaux simples (minicom, etc.)</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Supprimer les espaces en début et en fin de ligne</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Raccourci clavier&#xa0;:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>Modifier le raccourci clavier global qui affiche le menu à l’écran</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Icône de la zone de notification&#xa0;:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Utiliser les extensions du presse-papiers (sélection, tampon de recherche) lorsqu’elles sont prises en charge</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Utiliser les extensions propres à la plateforme (avancé)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>Ne pas synchroniser le presse-papiers et la PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Synchroniser le presse-papiers et la PSE au choix d’un élément</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Synchroniser immédiatement le presse-papiers et la PSE</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Effacer les éléments en quittant</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Enregistrer immédiatement l’historique</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Confirmer l’effacement de l’historique</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Éléments épinglés</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Les éléments épinglés sont des extraits fixes, toujours en haut du menu</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Ajouter un élément à la fin de la liste</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Ajouter</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Supprimer l’élément sélectionné</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Déplacer l’élément vers le haut</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>&amp;Monter</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Déplacer l’élément vers le bas</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>&amp;Descendre</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>Sous Wayland, les applications ne peuvent pas gérer de raccourcis globaux.
 Définissez plutôt le raccourci dans votre compositeur pour appeler D-Bus,
 par exemple&#xa0;: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Choix de l’icône</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Charger l’icône depuis un fichier…</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Utiliser l’icône par défaut</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Choisir un fichier d’icône</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Choisir l’icône</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Regarder dans&#xa0;:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Nom de l’icône&#xa0;:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Type d’icône&#xa0;:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Ajouter un élément épinglé</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>Les images affichent une vignette et leur taille dans le menu, et un aperçu plus grand dans l’infobulle</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Afficher un aperçu des images</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>&amp;Effacer l’historique du presse-papiers</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Configurer…</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>À &amp;propos…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip – historique du presse-papiers</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirmation</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>Voulez-vous vraiment effacer l’historique du presse-papiers&#xa0;?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>À propos de morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Applet léger d’historique du presse-papiers.&lt;p&gt;Crédits&#xa0;:&lt;ul&gt;&lt;li&gt;2026 Les développeurs du bureau Morv&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Prise en charge du raccourci clavier global&#xa0;: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Oui</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Ouvrir l’historique du presse-papiers</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Mettre l’historique en pause</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - l’historique du presse-papiers est en pause</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Aucun résultat</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Presse-papiers</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Sélection</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Tampon de recherche</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Texte brut</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Texte enrichi</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Contenu binaire</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Élément épinglé (texte brut)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>Binaire&#xa0;: %1</translation>
    </message>
    <message>
        <source>Url: %1</source>
        <translation>URL&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1 x %2</source>
        <extracomment>The width and height of a picture, in pixels.</extracomment>
        <translation>%1 × %2</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <extracomment>The size of a picture&apos;s file; the number is written as the language writes numbers.</extracomment>
        <translation>%1 octets</translation>
    </message>
</context>
</TS>
