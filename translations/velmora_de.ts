<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutText</name>
    <message>
        <source>Velmora gives the ability to photograph aura and energy signatures of people and various settings. Auras are distributions of energy that are present everywhere, around living beings, objects and places alike. The practice of aura photography separates the auras meant for interpretation from the background energies that surround them. This application is designed for photographing people, and the interpretations it offers rest on its use with a human model. 

 Keep the following suggests in mind when using this application: 
 1.) Auras change very quickly. Before taking a photo, ask your model to calm down, relax and clear the mind.
 2.) Pay attention to the part or side of the body near which colors emerge. These may hint at health concerns and can be related to the model&apos;s seven chakra points. Colors around the head point to intellectual or spiritual qualities, while colors around the heart point to emotional ones.
 3.) Have the model concentrate on one issue just before the photo is taken, so that the colors may hint at it.</source>
        <translation>Velmora gibt dir die Möglichkeit, die Aura und die energetischen Signaturen von Menschen und verschiedenen Umgebungen zu fotografieren. Auren sind Energieverteilungen, die überall vorhanden sind, bei Lebewesen ebenso wie bei Gegenständen und Orten. Die Aurafotografie trennt die Auren, die gedeutet werden sollen, von den Hintergrundenergien, die sie umgeben. Diese Anwendung ist dafür gedacht, Menschen zu fotografieren, und die Deutungen, die sie dir bietet, beruhen darauf, dass du sie mit einem menschlichen Modell verwendest. 

 Behalte beim Verwenden dieser Anwendung Folgendes im Hinterkopf: 
 1.) Auren verändern sich sehr schnell. Bitte dein Modell vor der Aufnahme, zur Ruhe zu kommen, sich zu entspannen und den Kopf frei zu machen.
 2.) Achte darauf, an welchem Körperteil oder auf welcher Körperseite Farben auftauchen. Sie können auf gesundheitliche Probleme hinweisen und mit den sieben Chakren des Modells zusammenhängen. Farben rund um den Kopf deuten auf intellektuelle oder spirituelle Eigenschaften hin, Farben rund um das Herz dagegen auf emotionale.
 3.) Lass das Modell sich kurz vor der Aufnahme auf ein bestimmtes Anliegen konzentrieren, damit die Farben einen Hinweis darauf geben können.</translation>
    </message>
</context>
<context>
    <name>AuraReading</name>
    <message>
        <source>past</source>
        <translation>früher</translation>
    </message>
    <message>
        <source>present</source>
        <translation>jetzt</translation>
    </message>
    <message>
        <source>future</source>
        <translation>künftig</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>Violet</source>
        <translation>Violett</translation>
    </message>
    <message>
        <source>Lavender</source>
        <translation>Lavendel</translation>
    </message>
    <message>
        <source>Indigo</source>
        <translation>Indigo</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Purpur</translation>
    </message>
    <message>
        <source>Turquoise</source>
        <translation>Türkis</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Brown</source>
        <translation>Braun</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Gold</source>
        <translation>Gold</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>Pink</source>
        <translation>Rosa</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Schwarz</translation>
    </message>
    <message>
        <source>Silver</source>
        <translation>Silber</translation>
    </message>
    <message>
        <source>White</source>
        <translation>Weiß</translation>
    </message>
</context>
<context>
    <name>ColourMeaning</name>
    <message>
        <source>Violet aura color in a person represents both psychic ability and a mind that looks clearly at the present while reaching toward the future. People glowing with this shade tend to join logic with emotion, weighing the facts with the head while listening closely to the heart. Trust that blend now: your reasoning and your feelings are working together, and they can guide you well.</source>
        <translation>Die Aurafarbe Violett steht bei einem Menschen sowohl für übersinnliche Fähigkeiten als auch für einen Geist, der klar auf die Gegenwart blickt und dabei schon nach der Zukunft greift. Menschen, die in diesem Farbton leuchten, verbinden oft Logik mit Gefühl: Sie wägen die Fakten mit dem Kopf ab und hören dabei genau auf ihr Herz. Vertraue jetzt auf diese Mischung: Dein Verstand und deine Gefühle arbeiten zusammen und können dich gut leiten.</translation>
    </message>
    <message>
        <source>Lavender aura color relates to dreams, visions and the imagination. It often surrounds creative souls whose ideas arrive in bright, beautiful flashes. The gentle caution of this color is follow-through: inspiration may drift away before it takes shape. Choose one dear vision and give it small, steady steps.</source>
        <translation>Die Aurafarbe Lavendel hat mit Träumen, Visionen und Vorstellungskraft zu tun. Sie umgibt oft kreative Seelen, denen ihre Ideen in hellen, wunderschönen Geistesblitzen zufliegen. Die sanfte Mahnung dieser Farbe betrifft das Dranbleiben: Eine Eingebung kann sich verflüchtigen, bevor sie Gestalt annimmt. Wähle eine Vision, die dir besonders am Herzen liegt, und geh kleine, beständige Schritte auf sie zu.</translation>
    </message>
    <message>
        <source>Indigo aura color indicates a person with psychic awareness or ability. This deep color suggests a season for divining hidden meanings, for noticing the quiet signs that others pass by. Set aside time for stillness, keep a journal of hunches and dreams, and let your intuition grow strong with practice. What you sense beneath the surface may prove wiser than you expect.</source>
        <translation>Die Aurafarbe Indigo weist auf einen Menschen mit übersinnlicher Wahrnehmung oder Begabung hin. Diese tiefe Farbe deutet auf eine Zeit hin, in der du verborgene Bedeutungen erahnen und die leisen Zeichen bemerken kannst, an denen andere achtlos vorbeigehen. Nimm dir Zeit für die Stille, führe ein Tagebuch über deine Ahnungen und Träume und lass deine Intuition durch Übung stark werden. Was du unter der Oberfläche spürst, könnte sich als weiser erweisen, als du denkst.</translation>
    </message>
    <message>
        <source>Purple aura color shows a noble nature. It belongs to those who lead with dignity and grace, and whom others seek out in hard times. This color also speaks of endurance: a patient strength that carries you through long challenges without ever losing heart.</source>
        <translation>Die Aurafarbe Purpur zeugt von einem edlen Wesen. Sie gehört zu Menschen, die mit Würde und Anmut führen und bei denen andere in schweren Zeiten Halt suchen. Diese Farbe spricht außerdem von Ausdauer: von einer geduldigen Stärke, die dich durch lange Herausforderungen trägt, ohne dass du jemals den Mut verlierst.</translation>
    </message>
    <message>
        <source>Turquoise is a healing color. It may appear when you are mending yourself, or when your presence is helping someone else recover. People surrounded by this soothing color often nurture others without being asked, offering comfort, care and a quiet place to rest. Turn that tenderness inward as well, since your own health deserves the same gentle care.</source>
        <translation>Türkis ist eine heilende Farbe. Sie kann erscheinen, wenn du selbst gerade dabei bist zu heilen, oder wenn deine Gegenwart einem anderen Menschen hilft, wieder gesund zu werden. Menschen, die von dieser beruhigenden Farbe umgeben sind, kümmern sich oft um andere, ohne darum gebeten zu werden, und schenken Trost, Fürsorge und einen ruhigen Ort zum Ausruhen. Richte diese Zärtlichkeit auch auf dich selbst, denn deine eigene Gesundheit verdient dieselbe liebevolle Zuwendung.</translation>
    </message>
    <message>
        <source>Blue aura color indicates calm, sensitivity, compassion and intuition. Those who carry this peaceful color feel deeply and often sense moods before a single word is spoken. The gentle warning of blue is that strong feelings can rise like a tide and engulf you. Stay anchored, breathe slowly, and let emotions flow through rather than over you.</source>
        <translation>Die Aurafarbe Blau steht für Ruhe, Feinfühligkeit, Mitgefühl und Intuition. Wer diese friedvolle Farbe trägt, fühlt tief und spürt Stimmungen oft schon, bevor auch nur ein Wort gesprochen ist. Die sanfte Warnung von Blau lautet: Starke Gefühle können wie eine Flut ansteigen und dich überwältigen. Bleib verankert, atme langsam und lass die Gefühle durch dich hindurchfließen, statt dich von ihnen überrollen zu lassen.</translation>
    </message>
    <message>
        <source>Brown aura color represents goodness and possible growth. Like rich soil, it holds the promise of something waiting to sprout. Yet this grounded color can also point to self-limitation, a quiet habit of staying within familiar walls and doubting what lies beyond them. Now is a good time to think outside the box. Try a fresh path, ask a bold question, or follow an unusual notion, and let your good nature reach wider ground.</source>
        <translation>Die Aurafarbe Braun steht für Güte und mögliches Wachstum. Wie fruchtbare Erde birgt sie das Versprechen von etwas, das nur darauf wartet, zu keimen. Doch diese bodenständige Farbe kann auch auf Selbstbeschränkung hinweisen, auf die stille Gewohnheit, innerhalb vertrauter Mauern zu bleiben und an dem zu zweifeln, was dahinter liegt. Jetzt ist ein guter Zeitpunkt, über den Tellerrand hinauszublicken. Probiere einen neuen Weg aus, stell eine mutige Frage oder folge einem ungewöhnlichen Einfall, und lass dein gutes Wesen weitere Kreise ziehen.</translation>
    </message>
    <message>
        <source>Green aura color represents the earth. It reflects the living world of forests, fields and gardens, and the steady, balanced growth that nature shows us. Someone wrapped in this color is often healing, learning and expanding at a healthy pace. Green also favors cooperation with others: shared work, honest partnership and community bring out its best. Reach out warmly to friends and neighbors, and grow together.</source>
        <translation>Die Aurafarbe Grün steht für die Erde. Sie spiegelt die lebendige Welt der Wälder, Felder und Gärten wider und das stetige, ausgewogene Wachstum, das uns die Natur vorlebt. Wer von dieser Farbe umhüllt ist, heilt, lernt und entfaltet sich oft in einem gesunden Tempo. Grün begünstigt außerdem die Zusammenarbeit mit anderen: Gemeinsame Arbeit, ehrliche Partnerschaft und Gemeinschaft bringen ihr Bestes zum Vorschein. Geh herzlich auf Freunde und Nachbarn zu und wachst gemeinsam.</translation>
    </message>
    <message>
        <source>Gold is the color of spiritual guidance. It shines around those who are being led by an inner knowledge deeper than ordinary thought. When this warm color appears, trust the quiet voice within and let it shape your choices. Gold also teaches that sincere effort is its own success; the striving itself enriches you, whatever the outcome may be. Keep moving onward.</source>
        <translation>Gold ist die Farbe der spirituellen Führung. Sie leuchtet um Menschen, die von einem inneren Wissen geleitet werden, das tiefer reicht als gewöhnliches Denken. Wenn diese warme Farbe erscheint, vertraue der leisen Stimme in dir und lass sie deine Entscheidungen prägen. Gold lehrt auch, dass aufrichtiges Bemühen schon ein Erfolg für sich ist: Das Streben selbst bereichert dich, ganz gleich, wie es ausgeht. Geh weiter deinen Weg.</translation>
    </message>
    <message>
        <source>Yellow is the color of spiritual and intellectual awakening. Like morning sunlight, it brightens the mind and opens the spirit to fresh understanding. This cheerful color often appears at the outset of new endeavors, when curiosity is high and the road ahead feels full of promise. Yellow reminds you that true wealth is found within: your insight, your optimism and your willingness to learn are treasures no one can take away. Welcome new ideas and let them lead you forward.</source>
        <translation>Gelb ist die Farbe des spirituellen und geistigen Erwachens. Wie das Licht der Morgensonne erhellt es den Verstand und öffnet die Seele für neue Erkenntnisse. Diese fröhliche Farbe zeigt sich oft zu Beginn neuer Vorhaben, wenn die Neugier groß ist und der Weg vor dir voller Verheißungen scheint. Gelb erinnert dich daran, dass wahrer Reichtum in dir selbst liegt: Deine Einsicht, dein Optimismus und deine Bereitschaft zu lernen sind Schätze, die dir niemand nehmen kann. Heiße neue Ideen willkommen und lass dich von ihnen voranbringen.</translation>
    </message>
    <message>
        <source>Pink aura represents love, compassion, sensitivity, affection and a tender heart that gives freely. This soft color often appears when a loving relationship is blossoming in your life, or when one is drawing near. Let kindness flow both ways. Pink encourages gentle words, patient listening and the simple joys of caring for someone who cares for you in return.</source>
        <translation>Eine rosa Aura steht für Liebe, Mitgefühl, Feinfühligkeit, Zuneigung und ein zärtliches Herz, das großzügig gibt. Diese sanfte Farbe zeigt sich oft, wenn in deinem Leben eine liebevolle Beziehung aufblüht oder eine solche näher rückt. Lass Freundlichkeit in beide Richtungen fließen. Rosa ermutigt dich zu sanften Worten, geduldigem Zuhören und den einfachen Freuden, dich um jemanden zu kümmern, der sich ebenso um dich kümmert.</translation>
    </message>
    <message>
        <source>Orange as a aura color represents the ability to be external. It carries outward energy, the urge to step into the world and make things happen. People glowing with this lively color show courage and a strong drive for achievement. This is a time to be active: start that project, take that trip, speak out. Your enthusiasm will open doors.</source>
        <translation>Orange als Aurafarbe steht für die Fähigkeit, nach außen zu gehen. Sie trägt eine nach außen gerichtete Energie in sich, den Drang, in die Welt hinauszutreten und Dinge geschehen zu lassen. Menschen, die in dieser lebhaften Farbe leuchten, zeigen Mut und einen starken Antrieb, etwas zu erreichen. Jetzt ist die Zeit, aktiv zu werden: Fang das Projekt an, mach die Reise, sag deine Meinung. Deine Begeisterung wird dir Türen öffnen.</translation>
    </message>
    <message>
        <source>Red has to do with the physical body. It is linked to vitality, strength and the circulation of blood and energy in every limb. This vivid color can reveal passion and powerful attraction, drawing others toward you. Yet red also carries a warning, since anger and anxiety share its fire. Move your body, rest when needed, and let strong feelings cool before you act.</source>
        <translation>Rot hat mit dem physischen Körper zu tun. Es ist mit Lebenskraft, Stärke und dem Fluss von Blut und Energie in jedem Glied verbunden. Diese leuchtende Farbe kann Leidenschaft und eine starke Anziehungskraft offenbaren, die andere zu dir hinzieht. Doch Rot trägt auch eine Warnung in sich, denn Wut und Angst teilen sein Feuer. Beweg deinen Körper, ruh dich aus, wenn du es brauchst, und lass starke Gefühle abkühlen, bevor du handelst.</translation>
    </message>
    <message>
        <source>Black pulls in light and energy. Rather than shining outward, it gathers and holds, much like a deep well filling with rain. At times this can be a temporary benefit, a period of drawing strength inward while you recover or reflect. Yet this color may also serve as a warning: a shadow in the aura can hint at illness or exhaustion that calls for care. Listen to your body, slow down, and seek support if anything feels wrong. Light returns when you make room for it.</source>
        <translation>Schwarz zieht Licht und Energie an. Statt nach außen zu strahlen, sammelt und bewahrt es, ganz wie ein tiefer Brunnen, der sich mit Regen füllt. Manchmal kann das ein vorübergehender Vorteil sein, eine Zeit, in der du Kraft nach innen ziehst, während du dich erholst oder nachdenkst. Doch diese Farbe kann auch als Warnung dienen: Ein Schatten in der Aura kann auf Krankheit oder Erschöpfung hindeuten, die Zuwendung braucht. Hör auf deinen Körper, lass es langsamer angehen und such dir Unterstützung, wenn sich etwas nicht richtig anfühlt. Das Licht kehrt zurück, wenn du ihm Raum gibst.</translation>
    </message>
    <message>
        <source>Silver is the color of prosperity. It gleams around people who are entering a time of abundance, whether in material comfort, fresh ideas or rich friendships. This shimmering color is also linked to contact with other realms, to dreams and intuitions that seem to arrive from beyond. Stay open to both of these gifts, and let good fortune flow wherever it wishes.</source>
        <translation>Silber ist die Farbe des Wohlstands. Es schimmert um Menschen, die in eine Zeit der Fülle eintreten, sei es an materiellem Komfort, neuen Ideen oder reichen Freundschaften. Diese schimmernde Farbe steht außerdem für die Verbindung zu anderen Sphären, für Träume und Eingebungen, die aus dem Jenseits zu kommen scheinen. Bleib offen für diese beiden Geschenke und lass das Glück fließen, wohin es will.</translation>
    </message>
    <message>
        <source>White represents pure energy or light. It holds every color at once, and often appears when something new is awakening within a person. This may be a fresh aspect of your character, a talent that has been sleeping, or a clearer sense of purpose. White invites you to meet this emerging self with curiosity and trust. Give it space, protect its brightness, and allow it to shape the next chapter of your story with grace and gentle confidence.</source>
        <translation>Weiß steht für reine Energie oder reines Licht. Es vereint alle Farben in sich und zeigt sich oft, wenn in einem Menschen etwas Neues erwacht. Das kann eine neue Seite deines Charakters sein, ein Talent, das bisher geschlummert hat, oder ein klareres Gespür für deine Bestimmung. Weiß lädt dich ein, diesem erwachenden Selbst mit Neugier und Vertrauen zu begegnen. Gib ihm Raum, schütze sein Leuchten und lass es das nächste Kapitel deiner Geschichte mit Anmut und sanfter Zuversicht gestalten.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Velmora shows one photo at a time: %1 is opened, the other one is not.</source>
        <translation>Velmora zeigt jeweils ein Foto: %1 ist geöffnet, das andere nicht.</translation>
    </message>
    <message>
        <source>Velmora shows one photo at a time: %1 is opened, the other %2 are not.</source>
        <translation>Velmora zeigt jeweils ein Foto: %1 ist geöffnet, die anderen %2 nicht.</translation>
    </message>
</context>
<context>
    <name>ReadingCard</name>
    <message>
        <source>Your aura reading</source>
        <translation>Deine Aura-Deutung</translation>
    </message>
    <message>
        <source>the printer could not start a page</source>
        <translation>der Drucker konnte keine Seite beginnen</translation>
    </message>
    <message>
        <source>the printer did not take the page</source>
        <translation>der Drucker hat die Seite nicht angenommen</translation>
    </message>
</context>
<context>
    <name>VelmoraViewController</name>
    <message>
        <source>The portrait was not saved.
%1</source>
        <translation>Das Porträt wurde nicht gespeichert.
%1</translation>
    </message>
    <message>
        <source>Velmora</source>
        <translation>Velmora</translation>
    </message>
    <message>
        <source>Portrait area</source>
        <translation>Porträtfläche</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>Foto</translation>
    </message>
    <message>
        <source>Aura</source>
        <translation>Aura</translation>
    </message>
    <message>
        <source>Velmora home</source>
        <translation>Velmora-Startbild</translation>
    </message>
    <message>
        <source>Camera frame</source>
        <translation>Kamerarahmen</translation>
    </message>
    <message>
        <source>Framing silhouette</source>
        <translation>Silhouette zum Ausrichten</translation>
    </message>
    <message>
        <source>Pink meaning</source>
        <translation>Bedeutung von Rosa</translation>
    </message>
    <message>
        <source>Gold meaning</source>
        <translation>Bedeutung von Gold</translation>
    </message>
    <message>
        <source>Turquoise meaning</source>
        <translation>Bedeutung von Türkis</translation>
    </message>
    <message>
        <source>Indigo meaning</source>
        <translation>Bedeutung von Indigo</translation>
    </message>
    <message>
        <source>Lavender meaning</source>
        <translation>Bedeutung von Lavendel</translation>
    </message>
    <message>
        <source>Violet meaning</source>
        <translation>Bedeutung von Violett</translation>
    </message>
    <message>
        <source>Select a color</source>
        <translation>Wähle eine Farbe</translation>
    </message>
    <message>
        <source>White</source>
        <translation>Weiß</translation>
    </message>
    <message>
        <source>What white means in an aura</source>
        <translation>Was Weiß in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Silver</source>
        <translation>Silber</translation>
    </message>
    <message>
        <source>What silver means in an aura</source>
        <translation>Was Silber in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Schwarz</translation>
    </message>
    <message>
        <source>What black means in an aura</source>
        <translation>Was Schwarz in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>What red means in an aura</source>
        <translation>Was Rot in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>What orange means in an aura</source>
        <translation>Was Orange in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Pink</source>
        <translation>Rosa</translation>
    </message>
    <message>
        <source>What pink means in an aura</source>
        <translation>Was Rosa in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>What yellow means in an aura</source>
        <translation>Was Gelb in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Gold</source>
        <translation>Gold</translation>
    </message>
    <message>
        <source>What gold means in an aura</source>
        <translation>Was Gold in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>What green means in an aura</source>
        <translation>Was Grün in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Brown</source>
        <translation>Braun</translation>
    </message>
    <message>
        <source>What brown means in an aura</source>
        <translation>Was Braun in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>What blue means in an aura</source>
        <translation>Was Blau in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Turquoise</source>
        <translation>Türkis</translation>
    </message>
    <message>
        <source>What turquoise means in an aura</source>
        <translation>Was Türkis in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Purpur</translation>
    </message>
    <message>
        <source>What purple means in an aura</source>
        <translation>Was Purpur in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Indigo</source>
        <translation>Indigo</translation>
    </message>
    <message>
        <source>What indigo means in an aura</source>
        <translation>Was Indigo in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Lavender</source>
        <translation>Lavendel</translation>
    </message>
    <message>
        <source>What lavender means in an aura</source>
        <translation>Was Lavendel in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Violet</source>
        <translation>Violett</translation>
    </message>
    <message>
        <source>What violet means in an aura</source>
        <translation>Was Violett in einer Aura bedeutet</translation>
    </message>
    <message>
        <source>Close bar</source>
        <translation>Schließleiste</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Close the panel (Esc)</source>
        <translation>Das Feld schließen (Esc)</translation>
    </message>
    <message>
        <source>Portrait saved</source>
        <translation>Porträt gespeichert</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Take a photo (Ctrl+T)</source>
        <translation>Ein Foto aufnehmen (Strg+T)</translation>
    </message>
    <message>
        <source>Looking for a camera…</source>
        <translation>Suche nach einer Kamera …</translation>
    </message>
    <message>
        <source>Meanings</source>
        <translation>Deutungen</translation>
    </message>
    <message>
        <source>Aura color meanings (Ctrl+M)</source>
        <translation>Bedeutungen der Aurafarben (Strg+M)</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>About aura photos (F1)</source>
        <translation>Über Aurafotos (F1)</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save the portrait (Ctrl+S)</source>
        <translation>Das Porträt speichern (Strg+S)</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Choose a photo (Ctrl+O)</source>
        <translation>Ein Foto auswählen (Strg+O)</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Show the album folder in the file manager</source>
        <translation>Den Albumordner in der Dateiverwaltung zeigen</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Copy the portrait as a picture</source>
        <translation>Das Porträt als Bild kopieren</translation>
    </message>
    <message>
        <source>Cannot open the folder.
%1</source>
        <translation>Der Ordner lässt sich nicht öffnen.
%1</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Strg+O</translation>
    </message>
    <message>
        <source>No camera found. Plug one in, or choose a photo (Ctrl+O).</source>
        <translation>Keine Kamera gefunden. Schließe eine an oder wähle ein Foto (Strg+O).</translation>
    </message>
    <message>
        <source>a photo is being taken or chosen already</source>
        <translation>es wird schon ein Foto aufgenommen oder ausgewählt</translation>
    </message>
    <message>
        <source>Saving the portrait</source>
        <translation>Das Porträt wird gespeichert</translation>
    </message>
    <message>
        <source>into %1</source>
        <translation>in %1</translation>
    </message>
    <message>
        <source>Portrait saved as</source>
        <translation>Porträt gespeichert als</translation>
    </message>
    <message>
        <source>in %1</source>
        <translation>in %1</translation>
    </message>
    <message>
        <source>About aura photos</source>
        <translation>Über Aurafotos</translation>
    </message>
    <message>
        <source>%1 meaning</source>
        <translation>Bedeutung von %1</translation>
    </message>
    <message>
        <source>Fit to face</source>
        <translation>Aufs Gesicht</translation>
    </message>
    <message>
        <source>Cut the photo around the face instead of stretching it (Ctrl+F)</source>
        <translation>Das Foto ums Gesicht zuschneiden, statt es zu strecken (Strg+F)</translation>
    </message>
    <message>
        <source>No face found: centred</source>
        <translation>Kein Gesicht gefunden: mittig zugeschnitten</translation>
    </message>
    <message>
        <source>The aura covers the face. Fit to face (Ctrl+F) keeps it clear.</source>
        <translation>Die Aura liegt über dem Gesicht. „Aufs Gesicht“ (Strg+F) hält es frei.</translation>
    </message>
    <message>
        <source>Your aura portrait</source>
        <translation>Dein Auraporträt</translation>
    </message>
    <message>
        <source>In your reading</source>
        <translation>In deiner Deutung</translation>
    </message>
    <message>
        <source>Your reading</source>
        <translation>Deine Deutung</translation>
    </message>
    <message>
        <source>%1: open its meaning</source>
        <translation>%1: Bedeutung öffnen</translation>
    </message>
    <message>
        <source>there is no portrait yet</source>
        <translation>es gibt noch kein Porträt</translation>
    </message>
    <message>
        <source>The reading was not saved: %1</source>
        <translation>Die Deutung wurde nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>The reading card was not saved.
%1</source>
        <translation>Die Deutungskarte wurde nicht gespeichert.
%1</translation>
    </message>
    <message>
        <source>Card</source>
        <translation>Karte</translation>
    </message>
    <message>
        <source>Your reading card: save, print or copy it</source>
        <translation>Deine Deutungskarte: speichern, drucken oder kopieren</translation>
    </message>
    <message>
        <source>Reading card</source>
        <translation>Deutungskarte</translation>
    </message>
    <message>
        <source>Save reading card</source>
        <translation>Deutungskarte speichern</translation>
    </message>
    <message>
        <source>Print…</source>
        <translation>Drucken …</translation>
    </message>
    <message>
        <source>Copy reading</source>
        <translation>Deutung kopieren</translation>
    </message>
    <message>
        <source>The reading was not printed: %1</source>
        <translation>Die Deutung wurde nicht gedruckt: %1</translation>
    </message>
    <message>
        <source>Print your reading</source>
        <translation>Deine Deutung drucken</translation>
    </message>
    <message>
        <source>The reading card was not printed.
%1</source>
        <translation>Die Deutungskarte wurde nicht gedruckt.
%1</translation>
    </message>
    <message>
        <source>The reading was not copied: %1</source>
        <translation>Die Deutung wurde nicht kopiert: %1</translation>
    </message>
    <message>
        <source>Your reading is on the clipboard: paste it as a picture or as text.</source>
        <translation>Deine Deutung ist in der Zwischenablage: Füge sie als Bild oder als Text ein.</translation>
    </message>
    <message>
        <source>Printing is not installed: %1 is missing.</source>
        <translation>Drucken ist nicht installiert: %1 fehlt.</translation>
    </message>
    <message>
        <source>Printing could not be loaded: %1</source>
        <translation>Drucken konnte nicht geladen werden: %1</translation>
    </message>
</context>
<context>
    <name>toolkit::CameraChoice</name>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Which camera takes the photo</source>
        <translation>Welche Kamera das Foto aufnimmt</translation>
    </message>
</context>
<context>
    <name>toolkit::CameraPage</name>
    <message>
        <source>Cancel and choose a photo from your pictures%1.</source>
        <translation>Brich ab und wähle ein Foto aus deinen Bildern%1.</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Take photo</source>
        <translation>Foto aufnehmen</translation>
    </message>
    <message>
        <source>Take the photo (Space)</source>
        <translation>Das Foto aufnehmen (Leertaste)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Back without a photo (Esc)</source>
        <translation>Zurück ohne Foto (Esc)</translation>
    </message>
    <message>
        <source>No camera is plugged in.
Connect one, or cancel and choose a photo from your pictures%1.</source>
        <translation>Es ist keine Kamera angeschlossen.
Schließe eine an, oder brich ab und wähle ein Foto aus deinen Bildern%1.</translation>
    </message>
    <message>
        <source>The camera stopped: %1</source>
        <translation>Die Kamera hat aufgehört: %1</translation>
    </message>
    <message>
        <source>The camera was unplugged.
Plug it in and open the camera again, or cancel and choose a photo%1.</source>
        <translation>Die Kamera wurde abgezogen.
Schließe sie wieder an und öffne die Kamera erneut, oder brich ab und wähle ein Foto%1.</translation>
    </message>
    <message>
        <source>The camera gave no picture to take.
Cancel and try again.</source>
        <translation>Die Kamera hat kein Bild zum Aufnehmen geliefert.
Brich ab und versuche es noch einmal.</translation>
    </message>
    <message>
        <source>The camera sends no picture. Another program may be using it.</source>
        <translation>Die Kamera sendet kein Bild. Vielleicht verwendet ein anderes Programm sie.</translation>
    </message>
    <message>
        <source>The camera stopped sending pictures.
Check its cable, then cancel and try again.</source>
        <translation>Die Kamera sendet keine Bilder mehr.
Prüfe das Kabel, brich dann ab und versuche es noch einmal.</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>Spiegeln</translation>
    </message>
    <message>
        <source>Camera ready. Press Space to take the photo.</source>
        <translation>Kamera bereit. Drücke die Leertaste für das Foto.</translation>
    </message>
    <message>
        <source>Countdown cancelled.</source>
        <translation>Countdown abgebrochen.</translation>
    </message>
    <message>
        <source>Photo taken.</source>
        <translation>Foto aufgenommen.</translation>
    </message>
    <message>
        <source>Timer: off</source>
        <translation>Timer: aus</translation>
    </message>
    <message>
        <source>Timer: %1 s</source>
        <translation>Timer: %1 s</translation>
    </message>
    <message>
        <source>Seconds counted down before the photo: off, 3 or 10</source>
        <translation>Sekunden, die vor dem Foto heruntergezählt werden: aus, 3 oder 10</translation>
    </message>
    <message>
        <source>Mirror view: on</source>
        <translation>Spiegelbild: an</translation>
    </message>
    <message>
        <source>Mirror view: off</source>
        <translation>Spiegelbild: aus</translation>
    </message>
    <message>
        <source>Show the live view like a mirror; the photo is never mirrored</source>
        <translation>Das Live-Bild wie einen Spiegel zeigen; das Foto wird nie gespiegelt</translation>
    </message>
    <message>
        <source>Live aura</source>
        <translation>Live-Aura</translation>
    </message>
    <message>
        <source>Live aura: on</source>
        <translation>Live-Aura: an</translation>
    </message>
    <message>
        <source>Live aura: off</source>
        <translation>Live-Aura: aus</translation>
    </message>
    <message>
        <source>Show the portrait&apos;s aura around your face in the live view</source>
        <translation>Die Aura des Porträts um dein Gesicht im Live-Bild zeigen</translation>
    </message>
</context>
<context>
    <name>toolkit::DecodeWorker</name>
    <message>
        <source>the picture takes too long to decode</source>
        <translation>das Dekodieren des Bildes dauert zu lange</translation>
    </message>
    <message>
        <source>the decoder tried to do what a decoder may not, and was stopped</source>
        <translation>der Decoder versuchte, was ein Decoder nicht darf, und wurde gestoppt</translation>
    </message>
    <message>
        <source>the decoder crashed on it (%1)</source>
        <translation>der Decoder ist daran abgestürzt (%1)</translation>
    </message>
    <message>
        <source>the decoder stopped on it (status %1)</source>
        <translation>der Decoder hat daran aufgehört (Status %1)</translation>
    </message>
    <message>
        <source>there is not enough memory to decode it</source>
        <translation>es gibt nicht genug Speicher, um es zu dekodieren</translation>
    </message>
    <message>
        <source>the picture takes too long to decode (over %1 s)</source>
        <translation>das Dekodieren des Bildes dauert zu lange (über %1 s)</translation>
    </message>
    <message>
        <source>the decoder&apos;s answer makes no picture</source>
        <translation>aus der Antwort des Decoders wird kein Bild</translation>
    </message>
    <message>
        <source>the decode was abandoned</source>
        <translation>das Dekodieren wurde aufgegeben</translation>
    </message>
</context>
<context>
    <name>toolkit::Desktop</name>
    <message>
        <source>%1: no file manager could be started for it</source>
        <translation>%1: Dafür ließ sich keine Dateiverwaltung starten</translation>
    </message>
</context>
<context>
    <name>toolkit::HeifDecoder</name>
    <message>
        <source>the picture has no pixels</source>
        <translation>das Bild hat keine Pixel</translation>
    </message>
    <message>
        <source>the coded picture is larger than the %1 x %2 pixels it declares</source>
        <translation>das kodierte Bild ist größer als die angegebenen %1 x %2 Pixel</translation>
    </message>
    <message>
        <source>the picture is too large to decode whole (it needs %1 MB)</source>
        <translation>das Bild ist zu groß, um es ganz zu dekodieren (es braucht %1 MB)</translation>
    </message>
    <message>
        <source>the decoder made no pixels</source>
        <translation>der Dekoder hat keine Pixel geliefert</translation>
    </message>
    <message>
        <source>there is not enough memory to decode it</source>
        <translation>es gibt nicht genug Speicher, um es zu dekodieren</translation>
    </message>
    <message>
        <source>the HEIF decoder (libheif) is not installed</source>
        <translation>der HEIF-Decoder (libheif) ist nicht installiert</translation>
    </message>
</context>
<context>
    <name>toolkit::ImageDecoder</name>
    <message>
        <source>there is not enough memory to decode it</source>
        <translation>es gibt nicht genug Speicher, um es zu dekodieren</translation>
    </message>
    <message>
        <source>the picture cannot be decoded (%1)</source>
        <translation>das Bild lässt sich nicht dekodieren (%1)</translation>
    </message>
    <message>
        <source>the picture is corrupt (%1)</source>
        <translation>das Bild ist beschädigt (%1)</translation>
    </message>
    <message>
        <source>%1: the picture takes too long to decode (over %2 s)</source>
        <translation>%1: Das Dekodieren des Bildes dauert zu lange (über %2 s)</translation>
    </message>
    <message>
        <source>%1: no thread to decode it (%2)</source>
        <translation>%1: Kein Thread zum Dekodieren frei (%2)</translation>
    </message>
    <message>
        <source>the picture is too large to decode</source>
        <translation>das Bild ist zu groß zum Dekodieren</translation>
    </message>
</context>
<context>
    <name>toolkit::ImagePickerController</name>
    <message>
        <source>Cannot use this photo.
%1</source>
        <translation>Dieses Foto lässt sich nicht verwenden.
%1</translation>
    </message>
    <message>
        <source>Opening %1…</source>
        <translation>%1 wird geöffnet …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>toolkit::PhotoAlbum</name>
    <message>
        <source>not written: the saves were stopped</source>
        <translation>nicht geschrieben: das Speichern wurde abgebrochen</translation>
    </message>
    <message>
        <source>there is no picture to save</source>
        <translation>es gibt kein Bild zum Speichern</translation>
    </message>
    <message>
        <source>cannot create the album folder: a file is in the way</source>
        <translation>der Albumordner lässt sich nicht anlegen: eine Datei steht im Weg</translation>
    </message>
    <message>
        <source>cannot create the album folder: %1</source>
        <translation>der Albumordner lässt sich nicht anlegen: %1</translation>
    </message>
    <message>
        <source>cannot encode the PNG: %1</source>
        <translation>das PNG lässt sich nicht kodieren: %1</translation>
    </message>
    <message>
        <source>cannot write the portrait: %1</source>
        <translation>das Porträt lässt sich nicht schreiben: %1</translation>
    </message>
    <message>
        <source>no free file name left for this second</source>
        <translation>für diese Sekunde ist kein freier Dateiname mehr übrig</translation>
    </message>
    <message>
        <source>a file of that name is there already</source>
        <translation>eine Datei dieses Namens gibt es schon</translation>
    </message>
</context>
<context>
    <name>toolkit::PictureFile</name>
    <message>
        <source>the file is truncated</source>
        <translation>die Datei ist abgeschnitten</translation>
    </message>
    <message>
        <source>the picture is too large to decode (it needs %1 MB; at most %2 MB)</source>
        <translation>das Bild ist zu groß zum Dekodieren (es braucht %1 MB; höchstens %2 MB)</translation>
    </message>
    <message>
        <source>the file holds no picture data</source>
        <translation>die Datei enthält keine Bilddaten</translation>
    </message>
    <message>
        <source>the picture has %1 scans (at most %2)</source>
        <translation>das Bild hat %1 Scans (höchstens %2)</translation>
    </message>
    <message>
        <source>the picture is corrupt (a code no encoder writes)</source>
        <translation>das Bild ist beschädigt (ein Code, den kein Encoder schreibt)</translation>
    </message>
    <message>
        <source>the picture is corrupt (its data ends early)</source>
        <translation>das Bild ist beschädigt (seine Daten enden zu früh)</translation>
    </message>
    <message>
        <source>the link points to a file that does not exist</source>
        <translation>der Link zeigt auf eine Datei, die es nicht gibt</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>keine solche Datei</translation>
    </message>
    <message>
        <source>a loop of symbolic links, not a picture</source>
        <translation>eine Schleife symbolischer Links, kein Bild</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>is a folder, not a picture</source>
        <translation>ist ein Ordner, kein Bild</translation>
    </message>
    <message>
        <source>is not a regular file, not a picture</source>
        <translation>ist keine gewöhnliche Datei, kein Bild</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>die Datei ist leer</translation>
    </message>
    <message>
        <source>the file is too large (%1 MB; at most %2 MB)</source>
        <translation>die Datei ist zu groß (%1 MB; höchstens %2 MB)</translation>
    </message>
    <message>
        <source>the picture cannot be read (%1)</source>
        <translation>das Bild lässt sich nicht lesen (%1)</translation>
    </message>
    <message>
        <source>the picture is too large (%1 x %2 pixels; at most %3 megapixels)</source>
        <translation>das Bild ist zu groß (%1 x %2 Pixel; höchstens %3 Megapixel)</translation>
    </message>
    <message>
        <source>not a picture %1 can read</source>
        <translation>kein Bild, das %1 lesen kann</translation>
    </message>
    <message>
        <source>the picture has no pixels</source>
        <translation>das Bild hat keine Pixel</translation>
    </message>
    <message>
        <source>the picture is too large (%1 x %2 pixels%3; at most %4 megapixels)</source>
        <translation>das Bild ist zu groß (%1 x %2 Pixel%3; höchstens %4 Megapixel)</translation>
    </message>
    <message>
        <source> at 16 bits a channel</source>
        <translation> mit 16 Bit je Kanal</translation>
    </message>
    <message>
        <source>the picture is corrupt (an LZW code size of %1; at most 8)</source>
        <translation>das Bild ist beschädigt (eine LZW-Codegröße von %1; höchstens 8)</translation>
    </message>
    <message>
        <source>the picture is corrupt (its colour map is missing or short)</source>
        <translation>das Bild ist beschädigt (seine Farbtabelle fehlt oder ist zu kurz)</translation>
    </message>
    <message>
        <source>the picture is too large (%1 x %2 pixels; at most %3 a side)</source>
        <translation>das Bild ist zu groß (%1 x %2 Pixel; höchstens %3 je Seite)</translation>
    </message>
    <message>
        <source>the picture is too large (2147483648 rows)</source>
        <translation>das Bild ist zu groß (2147483648 Zeilen)</translation>
    </message>
    <message>
        <source>the picture is of a kind %1 cannot decode (%2)</source>
        <translation>das Bild ist von einer Art, die %1 nicht dekodieren kann (%2)</translation>
    </message>
    <message>
        <source>the picture is damaged (%1)</source>
        <translation>das Bild ist beschädigt (%1)</translation>
    </message>
</context>
<context>
    <name>toolkit::QtPickerPlatform</name>
    <message>
        <source>Camera support is not installed: %1 is missing.</source>
        <translation>Die Kameraunterstützung ist nicht installiert: %1 fehlt.</translation>
    </message>
    <message>
        <source>Camera support could not be loaded: %1</source>
        <translation>Die Kameraunterstützung konnte nicht geladen werden: %1</translation>
    </message>
    <message>
        <source>Camera support could not be loaded: %1 is of another version.</source>
        <translation>Die Kameraunterstützung konnte nicht geladen werden: %1 gehört zu einer anderen Version.</translation>
    </message>
    <message>
        <source>Choose a photo</source>
        <translation>Ein Foto auswählen</translation>
    </message>
    <message>
        <source>Pictures (%1)</source>
        <translation>Bilder (%1)</translation>
    </message>
</context>
<context>
    <name>toolkit::Window</name>
    <message>
        <source>Drop one picture at a time: %1 files were dropped.</source>
        <translation>Lege jeweils nur ein Bild ab: Es wurden %1 Dateien abgelegt.</translation>
    </message>
    <message>
        <source>Only a picture file on this computer can be opened, not %1.</source>
        <translation>Nur eine Bilddatei auf diesem Computer lässt sich öffnen, nicht %1.</translation>
    </message>
</context>
</TS>
