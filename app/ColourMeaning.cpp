#include "app/ColourMeaning.h"

#include "ui/Color.h"

using toolkit::Color;

// Black's meaning deliberately sits on white, not on black.
const std::array<ColourMeaning, AuraPalette::Count>& colourMeaningTable() {
    // clang-format off
    static const std::array<ColourMeaning, AuraPalette::Count> table = {{
    {"violet", nullptr,
     QT_TRANSLATE_NOOP("ColourMeaning", "Violet aura color in a person represents both psychic ability and a mind that looks clearly at the present while reaching toward the future. People glowing with this shade tend to join logic with emotion, weighing the facts with the head while listening closely to the heart. Trust that blend now: your reasoning and your feelings are working together, and they can guide you well.")},
    {"lavender", nullptr,
     QT_TRANSLATE_NOOP("ColourMeaning", "Lavender aura color relates to dreams, visions and the imagination. It often surrounds creative souls whose ideas arrive in bright, beautiful flashes. The gentle caution of this color is follow-through: inspiration may drift away before it takes shape. Choose one dear vision and give it small, steady steps.")},
    {"indigo", nullptr,
     QT_TRANSLATE_NOOP("ColourMeaning", "Indigo aura color indicates a person with psychic awareness or ability. This deep color suggests a season for divining hidden meanings, for noticing the quiet signs that others pass by. Set aside time for stillness, keep a journal of hunches and dreams, and let your intuition grow strong with practice. What you sense beneath the surface may prove wiser than you expect.")},
    {"purple", &Color::purpleColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Purple aura color shows a noble nature. It belongs to those who lead with dignity and grace, and whom others seek out in hard times. This color also speaks of endurance: a patient strength that carries you through long challenges without ever losing heart.")},
    {"turquoise", nullptr,
     QT_TRANSLATE_NOOP("ColourMeaning", "Turquoise is a healing color. It may appear when you are mending yourself, or when your presence is helping someone else recover. People surrounded by this soothing color often nurture others without being asked, offering comfort, care and a quiet place to rest. Turn that tenderness inward as well, since your own health deserves the same gentle care.")},
    {"blue", &Color::blueColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Blue aura color indicates calm, sensitivity, compassion and intuition. Those who carry this peaceful color feel deeply and often sense moods before a single word is spoken. The gentle warning of blue is that strong feelings can rise like a tide and engulf you. Stay anchored, breathe slowly, and let emotions flow through rather than over you.")},
    {"brown", &Color::brownColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Brown aura color represents goodness and possible growth. Like rich soil, it holds the promise of something waiting to sprout. Yet this grounded color can also point to self-limitation, a quiet habit of staying within familiar walls and doubting what lies beyond them. Now is a good time to think outside the box. Try a fresh path, ask a bold question, or follow an unusual notion, and let your good nature reach wider ground.")},
    {"green", &Color::greenColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Green aura color represents the earth. It reflects the living world of forests, fields and gardens, and the steady, balanced growth that nature shows us. Someone wrapped in this color is often healing, learning and expanding at a healthy pace. Green also favors cooperation with others: shared work, honest partnership and community bring out its best. Reach out warmly to friends and neighbors, and grow together.")},
    {"gold", nullptr,
     QT_TRANSLATE_NOOP("ColourMeaning", "Gold is the color of spiritual guidance. It shines around those who are being led by an inner knowledge deeper than ordinary thought. When this warm color appears, trust the quiet voice within and let it shape your choices. Gold also teaches that sincere effort is its own success; the striving itself enriches you, whatever the outcome may be. Keep moving onward.")},
    {"yellow", &Color::yellowColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Yellow is the color of spiritual and intellectual awakening. Like morning sunlight, it brightens the mind and opens the spirit to fresh understanding. This cheerful color often appears at the outset of new endeavors, when curiosity is high and the road ahead feels full of promise. Yellow reminds you that true wealth is found within: your insight, your optimism and your willingness to learn are treasures no one can take away. Welcome new ideas and let them lead you forward.")},
    {"pink", nullptr,
     QT_TRANSLATE_NOOP("ColourMeaning", "Pink aura represents love, compassion, sensitivity, affection and a tender heart that gives freely. This soft color often appears when a loving relationship is blossoming in your life, or when one is drawing near. Let kindness flow both ways. Pink encourages gentle words, patient listening and the simple joys of caring for someone who cares for you in return.")},
    {"orange", &Color::orangeColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Orange as a aura color represents the ability to be external. It carries outward energy, the urge to step into the world and make things happen. People glowing with this lively color show courage and a strong drive for achievement. This is a time to be active: start that project, take that trip, speak out. Your enthusiasm will open doors.")},
    {"red", &Color::redColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Red has to do with the physical body. It is linked to vitality, strength and the circulation of blood and energy in every limb. This vivid color can reveal passion and powerful attraction, drawing others toward you. Yet red also carries a warning, since anger and anxiety share its fire. Move your body, rest when needed, and let strong feelings cool before you act.")},
    {"black", &Color::whiteColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Black pulls in light and energy. Rather than shining outward, it gathers and holds, much like a deep well filling with rain. At times this can be a temporary benefit, a period of drawing strength inward while you recover or reflect. Yet this color may also serve as a warning: a shadow in the aura can hint at illness or exhaustion that calls for care. Listen to your body, slow down, and seek support if anything feels wrong. Light returns when you make room for it.")},
    {"silver", &Color::lightGrayColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "Silver is the color of prosperity. It gleams around people who are entering a time of abundance, whether in material comfort, fresh ideas or rich friendships. This shimmering color is also linked to contact with other realms, to dreams and intuitions that seem to arrive from beyond. Stay open to both of these gifts, and let good fortune flow wherever it wishes.")},
    {"white", &Color::whiteColor,
     QT_TRANSLATE_NOOP("ColourMeaning", "White represents pure energy or light. It holds every color at once, and often appears when something new is awakening within a person. This may be a fresh aspect of your character, a talent that has been sleeping, or a clearer sense of purpose. White invites you to meet this emerging self with curiosity and trust. Give it space, protect its brightness, and allow it to shape the next chapter of your story with grace and gentle confidence.")},
    }};
    // clang-format on
    return table;
}
