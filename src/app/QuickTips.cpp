#include "app/QuickTips.h"

#include "widgets/AssistantOru.h"

#include <QStringList>

namespace bv {

void LoadQuickTips(TAssistantOru& assistant)
{
    struct Topic {
        const char* question;
        const char* answer;
    };
    static const Topic topics[] = {
        { "How do I create a new business card?",
          "Choose File > \"New - Blank\" for an empty card in your default card layout, or File > "
          "\"New - Select From Templates\" to start from a ready-made design.\n\n"
          "Then pick a tool on the top bar (text, shapes, lines, clip art and the special-effect tools) and "
          "drag a rectangle on the card to place an object. Save your card with File > \"Save As...\"." },
        { "How do I start from a template?",
          "Choose File > \"New - Select From Templates\". Pick a design in the \"Select Template\" list and a "
          "typeface in the \"Select Font\" list; the Sample shows the card as it will start. Press Ok.\n\n"
          "Every text item of the template takes the chosen font, and the fields of your personal "
          "information (name, company, phone and so on) are filled in for you, so enter that first with "
          "Edit > \"Personal Information\"." },
        { "How do I put my name and address on the card?",
          "Choose Edit > \"Personal Information\" and fill in the ten fields: name, company, title, three "
          "address lines, two phone numbers, e-mail and fax. Brisvale keeps them for every card you make.\n\n"
          "Templates fill these fields in for you. On any card, right-click a text item made with the Text "
          "tool and choose a value from its \"Personal Information\" menu to put it into that item." },
        { "How do I add text, shapes and pictures?",
          "Click a tool on the top bar: Text, Multi-line text, Symbol, Rectangle, Ellipse, Round Rectangle, "
          "Line, Clip Art, SuperShape, Rich Text, SuperText or CircleText. Then drag a rectangle on the card "
          "where the object should go. Text tools ask for the text at once; the Clip Art tool opens the "
          "picture browser.\n\n"
          "After an object is placed Brisvale returns to the Selection tool. Right-click any object for its "
          "menu: font, colours, text, border and the other settings of that kind of object." },
        { "How do I move, resize or line up objects?",
          "With the Selection tool, click an object to select it; Shift+click adds or removes objects, and "
          "dragging on an empty part of the card selects everything inside the rectangle.\n\n"
          "Drag a selection to move it, or drag one of its eight handles to resize it. The arrow keys move "
          "the selection one pixel at a time; with Shift and one object selected they resize it.\n\n"
          "\"Show grid\" and \"Snap to Grid\" on the top bar help to line objects up. An object's "
          "right-click menu has \"Bring To Front\", \"Send To Back\", \"Center Vertically\", \"Center "
          "Horizontally\" and \"Locked\", which stops it from being moved by accident. Edit > \"Undo\" "
          "(Ctrl+Z) takes back a change you did not mean." },
        { "How do I give text a 3-D look?",
          "Right-click a text item and choose \"3D Effects\". Pick a shadow direction, colour and depth, "
          "and a highlight direction, colour and depth; the sample shows the result as you go. Press Ok to "
          "apply it to the text, or Cancel to leave the text as it was.\n\n"
          "For text filled with gradients or pictures, use the SuperText tool instead." },
        { "How do I add a picture or a background?",
          "For a picture on the card, click the Clip Art tool and drag a rectangle; the picture browser "
          "opens so you can choose a bitmap, metafile, JPEG or icon file. Right-click the picture to stretch "
          "it, size it to the picture, flip or mirror it, or load another.\n\n"
          "For art behind the whole card, choose Edit > \"Set or Change Background Art\" (or its button on "
          "the top bar) and pick a picture from the bg folder; \"None\" removes the background." },
        { "How do I print a sheet of cards?",
          "First check that the card stock matches Edit > \"Change Business Card Layout\". Then press Print "
          "(or File > \"Print\"). In the \"Print Cards\" dialog click the cards on the sheet to choose which "
          "positions to print (red = selected; \"All\" and \"None\" choose every card or none), set the "
          "number of pages, and press Ok.\n\n"
          "\"Print Setup\" chooses the printer and paper. Use Preview first to see the sheet on screen." },
        { "My cards do not line up with the sheet. What can I do?",
          "Print one sheet with File > \"Print Outline Test Page\" on plain paper and hold it against your "
          "card stock. Then open File > \"Printer Fine Tuning\": the top and left margin nudges move all "
          "cards down or across, and the vertical and horizontal spacing nudges change the gap between "
          "them. Each step is 1/32 inch, up to 8 steps either way. \"Default\" sets all four back to 0.\n\n"
          "The nudges are kept for every card you print on this computer." },
        { "How do I save my card or make a picture of it?",
          "File > \"Save\" (Ctrl+S) saves the card under its name; \"Save As...\" gives it a new name in the "
          "saved folder. A card is kept as two files: the .QRD file with the objects and a .QRE file beside "
          "it with the background and the sheet layout, so copy both when you move a card.\n\n"
          "File > \"Save As Bitmap\" and \"Save As JPG\" write a picture of the card at its real size, "
          "with a border if you want one." },
        { "Where does Brisvale keep my files?",
          "In the program folder: the folder of the program itself when Brisvale may write there, "
          "otherwise ~/.local/share/brisvale/ (or $XDG_DATA_HOME/brisvale/). The environment variable "
          "BRISVALE_HOME chooses another folder.\n\n"
          "There you find QRD.INI with your preferences, personal information and recent files, and the "
          "folders saved (your cards), qrdt (templates), bg (background art) and bmbrush (textures).\n\n"
          "Help > \"Configuration Information\" shows the folder in use." },
        { "How do I zoom the view of the business card?",
          "Use the arrows beside \"Zoom:\" at the bottom of the window, View > \"Zoom In\" and \"Zoom Out\" "
          "(Ctrl and + or -), or the + and - keys. The card grows or shrinks in steps of 10%, from 100% to "
          "150%.\n\n"
          "Zooming changes only the view: the card is saved and printed at its real size." },
    };
    QStringList questions;
    QStringList answers;
    for (const Topic& t : topics) {
        questions.append(QString::fromUtf8(t.question));
        answers.append(QString::fromUtf8(t.answer));
    }
    assistant.SetTopics(questions, answers);
}

} // namespace bv
