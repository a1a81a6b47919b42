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
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ColourMeaning</name>
    <message>
        <source>Violet aura color in a person represents both psychic ability and a mind that looks clearly at the present while reaching toward the future. People glowing with this shade tend to join logic with emotion, weighing the facts with the head while listening closely to the heart. Trust that blend now: your reasoning and your feelings are working together, and they can guide you well.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lavender aura color relates to dreams, visions and the imagination. It often surrounds creative souls whose ideas arrive in bright, beautiful flashes. The gentle caution of this color is follow-through: inspiration may drift away before it takes shape. Choose one dear vision and give it small, steady steps.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Indigo aura color indicates a person with psychic awareness or ability. This deep color suggests a season for divining hidden meanings, for noticing the quiet signs that others pass by. Set aside time for stillness, keep a journal of hunches and dreams, and let your intuition grow strong with practice. What you sense beneath the surface may prove wiser than you expect.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Purple aura color shows a noble nature. It belongs to those who lead with dignity and grace, and whom others seek out in hard times. This color also speaks of endurance: a patient strength that carries you through long challenges without ever losing heart.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Turquoise is a healing color. It may appear when you are mending yourself, or when your presence is helping someone else recover. People surrounded by this soothing color often nurture others without being asked, offering comfort, care and a quiet place to rest. Turn that tenderness inward as well, since your own health deserves the same gentle care.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blue aura color indicates calm, sensitivity, compassion and intuition. Those who carry this peaceful color feel deeply and often sense moods before a single word is spoken. The gentle warning of blue is that strong feelings can rise like a tide and engulf you. Stay anchored, breathe slowly, and let emotions flow through rather than over you.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brown aura color represents goodness and possible growth. Like rich soil, it holds the promise of something waiting to sprout. Yet this grounded color can also point to self-limitation, a quiet habit of staying within familiar walls and doubting what lies beyond them. Now is a good time to think outside the box. Try a fresh path, ask a bold question, or follow an unusual notion, and let your good nature reach wider ground.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Green aura color represents the earth. It reflects the living world of forests, fields and gardens, and the steady, balanced growth that nature shows us. Someone wrapped in this color is often healing, learning and expanding at a healthy pace. Green also favors cooperation with others: shared work, honest partnership and community bring out its best. Reach out warmly to friends and neighbors, and grow together.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gold is the color of spiritual guidance. It shines around those who are being led by an inner knowledge deeper than ordinary thought. When this warm color appears, trust the quiet voice within and let it shape your choices. Gold also teaches that sincere effort is its own success; the striving itself enriches you, whatever the outcome may be. Keep moving onward.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yellow is the color of spiritual and intellectual awakening. Like morning sunlight, it brightens the mind and opens the spirit to fresh understanding. This cheerful color often appears at the outset of new endeavors, when curiosity is high and the road ahead feels full of promise. Yellow reminds you that true wealth is found within: your insight, your optimism and your willingness to learn are treasures no one can take away. Welcome new ideas and let them lead you forward.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pink aura represents love, compassion, sensitivity, affection and a tender heart that gives freely. This soft color often appears when a loving relationship is blossoming in your life, or when one is drawing near. Let kindness flow both ways. Pink encourages gentle words, patient listening and the simple joys of caring for someone who cares for you in return.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orange as a aura color represents the ability to be external. It carries outward energy, the urge to step into the world and make things happen. People glowing with this lively color show courage and a strong drive for achievement. This is a time to be active: start that project, take that trip, speak out. Your enthusiasm will open doors.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Red has to do with the physical body. It is linked to vitality, strength and the circulation of blood and energy in every limb. This vivid color can reveal passion and powerful attraction, drawing others toward you. Yet red also carries a warning, since anger and anxiety share its fire. Move your body, rest when needed, and let strong feelings cool before you act.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black pulls in light and energy. Rather than shining outward, it gathers and holds, much like a deep well filling with rain. At times this can be a temporary benefit, a period of drawing strength inward while you recover or reflect. Yet this color may also serve as a warning: a shadow in the aura can hint at illness or exhaustion that calls for care. Listen to your body, slow down, and seek support if anything feels wrong. Light returns when you make room for it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silver is the color of prosperity. It gleams around people who are entering a time of abundance, whether in material comfort, fresh ideas or rich friendships. This shimmering color is also linked to contact with other realms, to dreams and intuitions that seem to arrive from beyond. Stay open to both of these gifts, and let good fortune flow wherever it wishes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>White represents pure energy or light. It holds every color at once, and often appears when something new is awakening within a person. This may be a fresh aspect of your character, a talent that has been sleeping, or a clearer sense of purpose. White invites you to meet this emerging self with curiosity and trust. Give it space, protect its brightness, and allow it to shape the next chapter of your story with grace and gentle confidence.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Cannot use this photo.
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The portrait was not saved.
%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>VelmoraViewController</name>
    <message>
        <source>Velmora</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QWidget#VelmoraViewController { background: #101018; }
QFrame#first, QFrame#second, QFrame#close { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2a2440, stop:1 #15121f); border-top: 1px solid #4a3f70; }
QToolButton { color: #f4efff; background: transparent; border: none; border-radius: 6px; padding: 2px; font-size: 11px; }
QToolButton:hover { background: rgba(255,255,255,30); }
QToolButton:pressed { background: rgba(255,255,255,60); }
QToolButton:focus { background: rgba(255,216,77,60); }
QToolButton:disabled { color: #77708a; }
QToolButton#closeB { background: rgba(255,255,255,40); font-size: 13px; font-weight: bold; }
QLabel#selectColor { color: white; background: rgba(20,16,32,200); border-radius: 10px; font-size: 18px; font-weight: bold; }
QPushButton#xOut1 { background: rgba(20,16,32,225); color: white; border: 1px solid #8f7adf; border-radius: 10px; padding: 6px 6px 34px 6px; text-align: left; }
QPushButton#xOut1 QToolButton { border: 1px solid #8f7adf; padding: 2px 6px; }
QPushButton#xOut2 { background: rgba(20,16,32,225); color: white; border: 1px solid #8f7adf; border-radius: 10px; font-size: 22px; }
QPushButton#xOut1:focus, QPushButton#xOut2:focus { border: 2px solid #ffd84d; }
QTextEdit { font-size: 15px; padding: 10px; border-radius: 10px; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Portrait area</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Photo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>home.png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velmora home</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>reveal.png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>silo.png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Framing silhouette</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aura text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pink meaning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gold meaning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Turquoise meaning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Indigo meaning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lavender meaning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Violet meaning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>White</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>White aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What white means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #ffffff; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silver</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silver aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What silver means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #c0c0c0; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What black means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #111111; color: #ffffff; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Red</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Red aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What red means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #e02020; color: #ffffff; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orange</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orange aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What orange means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #ff8a00; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pink</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pink aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What pink means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #ff9ec4; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yellow aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What yellow means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #ffe600; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gold</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gold aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What gold means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #e0b020; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Green</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Green aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What green means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #22b14c; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brown aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What brown means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #8b5a2b; color: #ffffff; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blue aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What blue means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #2050e0; color: #ffffff; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Turquoise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Turquoise aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What turquoise means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #30d5c8; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Purple</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Purple aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What purple means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #8020a0; color: #ffffff; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Indigo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Indigo aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What indigo means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #4b0082; color: #ffffff; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lavender</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lavender aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What lavender means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #c8b4ff; color: #000000; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Violet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Violet aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What violet means in an aura</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPushButton { background: #8f00ff; color: #ffffff; border: 2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; } QPushButton:focus { border: 3px solid #ffd84d; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close the panel (Esc)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Portrait saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Portrait saved, dismiss</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>×</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take a photo (Ctrl+T)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Meanings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aura color meanings (Ctrl+M)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About aura photos (F1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save the portrait (Ctrl+S)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a photo (Ctrl+O)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the album folder in the file manager</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy the portrait as a picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open the folder.
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No camera found: plug one in, or choose a photo (Ctrl+O)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No camera found. Plug one in, or choose a photo (Ctrl+O).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a photo is being taken or chosen already</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saving the portrait</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>into %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Portrait saved as</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>toolkit::CameraPage</name>
    <message>
        <source>Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take photo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take the photo (Space)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back without a photo (Esc)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No camera is plugged in.
Connect one, or cancel and choose a photo from your pictures (Ctrl+O).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The camera stopped: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>toolkit::ImagePickerController</name>
    <message>
        <source>Cannot use this photo.
%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>toolkit::QtCameraSource</name>
    <message>
        <source>the camera is not ready</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>toolkit::QtPickerPlatform</name>
    <message>
        <source>Choose a photo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pictures (*.jpg *.jpeg *.png *.webp *.bmp *.gif *.tif *.tiff *.JPG *.JPEG *.PNG)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>toolkit::Window</name>
    <message>
        <source>Drop one picture at a time: %1 files were dropped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only a picture file on this computer can be opened, not %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
