#pragma once
// The user-text table: every text that the program shows at run time in message boxes
// (texts and captions), prompts of the help pane and the window text, progress lines and
// dialog labels that are filled at run time. The table exists in Korean, Japanese and
// English with the same entries in the same places; start-up picks the version of the system
// language. Where a message only ever existed in Korean, the English version holds that
// Korean text unchanged. Menus and dialog templates are Korean in every language and are not
// part of this table.
//
// The texts are UTF-8 and are kept byte for byte, blanks, "!!" and line breaks included:
// message boxes and the help pane show them as they stand, and printf conversions in them are
// filled by the caller.

#include <string_view>

namespace trevalon {

// The values are those of the language setting: 1 Korean, 2 Japanese, 3 English.
enum class Language { Korean = 1, Japanese = 2, English = 3 };

enum class Txt : int {
  // ---- Message boxes shared by every subsystem ----------------------------------------
  CannotOpenFile,          // " Can not open file !!.\n": any file that cannot be opened/created
  ErrorMessage,            // "Error message": caption of file errors
  KorvoMessage,            // "Korvo message": caption of questions and notices
  OptimizerMessage,        // "Optimizer message": caption of the feed optimiser's questions
  OptimizerMessageSpaced,  // " Optimizer message ": caption of the master-model delete question
  Message,                 // " Message": caption of the writer's and the mesh's notices

  // ---- Point store and layers ----------------------------------------------------------
  LayerToolMismatch,  // Korean: source and target layer tools differ; continue?
  PointStoreFull,     // a read stopped because the point store is full

  // ---- NC program writer ----------------------------------------------------------------
  CannotOutputIncrementalAsHeidenhain,  // Korean: incremental ncdata cannot go out as Heidenhain
  DiagonalRapidFound,                   // Korean: a rapid moving diagonally has been found
  ConfirmStop,                          // Korean: stop here?
  // Verify after writing (the sentence parts are printf formats filled by the caller).
  VerifyFailed,        // "%s" path, "%llu" differences, "%llu" moves compared, "%s" first one
  VerifyCannotRead,    // "%s" path: the program just written cannot be read back
  VerifyPassed,        // help line: "%llu" moves read back as written
  VerifyPartial,       // appended to the help line when the output stopped early
  VerifyRecord,        // "%u": record index of the single output
  VerifyLayerRecord,   // "%d" layer, "%u" record index of the layer output
  VerifyExpectedRead,  // "%s" where, "%s" expected move, "%s" read move
  VerifyNothing,       // stands for a move that is not there
  VerifyAfterWriting,  // status tip of the "쓰기 후 검증" check box

  // ---- Post-processor --------------------------------------------------------------------
  EnterValue,  // Korean: "please enter the value", follows the "F Code" ... labels directly

  // ---- Cutting conditions ----------------------------------------------------------------
  // The labels of the positional lines of a condition file. Each is one token followed by a
  // blank, because the reader skips exactly one token before each value.
  LmxToolDiameter,        // Korean: tool diameter
  LmxSafetyDistance,      // Korean: safety distance
  LmxCornerMinAngle,      // Korean: corner minimum angle
  LmxCornerMaxReduction,  // Korean: corner maximum reduction ratio
  LmxSlopeMinAngle,       // Korean: slope minimum angle
  LmxSlopeMaxReduction,   // Korean: slope maximum reduction ratio
  LmxMaxFeed,             // Korean: maximum feed
  LmxMaterial,            // Korean: work material
  ConditionFileButton,    // Korean: "condition file :", the file name follows it
  DegreeWeight,           // Korean: "degree weight", in the weight slider labels "30%s(%2.2f)"

  // ---- Master model ----------------------------------------------------------------------
  DeleteMasterModel,     // " Do you want master model? ": asked before the mesh is deleted
  CannotAllocateMemory,  // Korean: memory cannot be allocated
  NotExistMasterModel,   // " Not exist master model.\r\n Create or load master model"
  Mesh10x10,             // " 10X10 Mesh "

  // ---- Feed optimiser and feed changes ---------------------------------------------------
  MmaFile,            // "MMA : ": master-model button of the transfer dialog, path follows
  MmaFileNone,        // "MMA :": the same button when no master-model file is chosen
  ChangeFeed,         // "Change Feed": value label of the change-feed command
  MaxFeed,            // "Max feed": value label of the window and polygon feed commands
  CncWeight,          // Korean: "CNC weight", in the machine-feed slider label "<< %s(%d) >>"
  ConfirmFeedChange,  // "Do you want feed chagne?": asked when a feed region is cancelled
  OptimizerProgress,  // " Feed Optimizer %u / %u": help pane while the optimiser runs
  OptimizerSummary,   // help pane after a run: moves slowed, cutting time before and after

  // ---- Region, trim, delete and edit commands -------------------------------------------
  HelpPrefix,               // "Help: ": leads every text of the help pane
  HelpDragWindow,           // "Help: (ESC : cencel) Push left mouse button and drag."
  HelpSelectPolygonVertex,  // "Help: (ESC : cancel, ENTER : close) Select polygon vertex."
  ZMinimum,                 // "Z minimum": first label of the Z band dialog
  ZMaximum,                 // "Z maximum": second label of the Z band dialog
  SelectFileName,           // " Select file name.": title of the point-file dialog
  ProcessingProgress,       // " %s(%.2f%).": progress of the trims, "%)" prints ")"
  HelpProcessing,           // " Help: Processing.....": filled into ProcessingProgress
  HelpSelectToolpath,       // "Help: Select toolpath with left mouse button."
  Angle,                    // " Angle ": direction label of the XY-angle delete
  DeleteLength,             // Korean: delete length, label of the points-by-length delete
  DeleteToolpathLength,     // " Delete toolpath length ": label of the paths-by-length delete
  MinSurfaceAngle,          // " Min surface angle ": first label of the Z-angle delete
  IgnoreDeletePointGap,     // " Ignore delete point gap ": third label of the Z-angle delete
  All,                      // " All "
  HelpSelectStartPoint,     // " Help: (ESC: cancel ENTER: run) Select start point on top view."
  FilterTolerance,          // Korean: filtering tolerance, label of the filter commands
  XyPlaneProcessing,        // " XY Plane processing (%6.3f)": progress of the arc fitting
  ZxPlaneProcessing,        // " ZX Plane processing (%6.3f)"
  YzPlaneProcessing,        // " YZ Plane processing (%6.3f)"
  SimplifyProcessing,       // " Simplifying (%6.3f)": progress of the simplification

  // ---- View and status line ----------------------------------------------------------
  XCenter,          // "X center": labels of the rotation-centre dialog
  YCenter,          // "Y center"
  ZCenter,          // "Z center"
  StatusG00,        // "G00": motion word of pane 1 for rapids
  StatusG01,        // "G01": linear moves
  StatusG02,        // "G02": clockwise arcs
  StatusG03,        // "G03": counter-clockwise arcs
  StatusX,          // "X:%3.3f": pane 2
  StatusY,          // "Y:%3.3f": pane 3
  StatusZ,          // "Z:%3.3f": pane 4
  StatusRadius,     // "R:%3.3f": pane 5, arcs only
  StatusFeed,       // "F:%4d": pane 6, cutting moves and arcs
  StatusRapidFeed,  // "F:": pane 6, rapids
  PickedPoint,      // " X%6.3f Y%6.3f Z%6.3f": pane 7, the point a click picked

  // ---- Application -----------------------------------------------------------------------
  AppTitle,  // "TREVALON"

  // ---- Status tips of the desktop's menu items -------------------------------------------
  TipLoad,
  TipAppend,
  TipSaveNc,
  TipSaveLayers,
  TipPostProcessor,
  TipNewWindow,
  TipCloseWindow,
  TipRecentFile,
  TipExit,
  TipFeedOptimizer,
  TipAutoFeed,
  TipMasterCreate,
  TipMasterDelete,
  TipMasterSave,
  TipMasterLoad,
  TipChangeFeed,
  TipWindowMaxFeed,
  TipPolygonMaxFeed,
  TipWindowMinFeed,
  TipPolygonMinFeed,
  TipArcFeed,
  TipLengthFeed,
  TipMachineFeed,
  TipUndo,
  TipRedo,
  TipTrimInside,
  TipTrimOutside,
  TipDeletePoint,
  TipDeletePath,
  TipDeleteEverySecond,
  TipDeleteInWindows,
  TipDeleteInPolygon,
  TipDeleteXyAngle,
  TipDeletePointsByLength,
  TipDeletePathsByLength,
  TipDeleteAll,
  TipDeleteZAngle,
  TipRapidRebuild,
  TipClearSelection,
  TipDeleteSelected,
  TipInvertSelection,
  TipReverse,
  TipReverseOne,
  TipStartPoints,
  TipSort,
  TipZUpToZDown,
  TipMoveCopy,
  TipLinearFilter,
  TipArcFilter,
  TipRegenerate,
  TipSubdivide,
  TipArcConvert,
  TipOffset,
  TipFace,
  TipRadial,
  TipSpiral,
  TipViewDirection,
  TipFit,
  TipZoomIn,
  TipZoomOut,
  TipRedraw,
  TipRotateMode,
  TipPanMode,
  TipSelectMode,
  TipShowRapids,
  TipFeedColours,
  TipGrid,
  TipTriad,
  TipShowMaster,
  TipRotationCentreInput,
  TipRotationCentreSelect,
  TipViewInEditor,
  TipToolpathInfo,
  TipWorkLayer,
  TipLayerByToolpath,
  TipEchoLayers,
  TipCopyLayer,
  TipLayerInfo,
  TipNcSettings,
  TipWorkEnvironment,
  TipLayerColours,
  TipCascade,
  TipTile,
  TipNextWindow,
  TipHelp,
  TipTutorial,
  TipAbout,

  // ---- Files refused on reading, and folders that cannot be made -------------------------
  // Each is shown with the path of the file or folder on the line after it.
  FileIsFolder,  // " This is a folder, not a file.\n"
  FileTooLarge,  // " The file is too large for its kind !!.\n"
  NotTextFile,   // " This is not a text file !!.\n"
  NoUsableFeed,  // the cutting conditions give no feed that a program could use
  // A condition file's value is no number or lies outside its field's range (the file, the
  // field, its value and range follow).
  ConditionOutOfRange,
  TemplateDefinesNone,  // the post-processor template defines no section: nothing to write
  CannotCreateFolder,   // " Can not create folder !!.\n"

  // ---- Keeping work and files safe -------------------------------------------------------
  // Added at the end of the table so that the numbers of the older entries stay as they were.
  NotNcProgram,      // a file with binary data near its start is not read as an NC program
  SaveChanges,       // "%s": asked when a document window with unwritten changes closes
  ReplaceFile,       // "%s": asked before a file that exists is replaced
  EditorNotStarted,  // help pane: the editor could not be started on the file just written

  // ---- Extended reading ------------------------------------------------------------------
  TipExtendedReading,       // status tip of the NC settings' tick box "확장 읽기"
  ExtReadPassedOver,        // help pane, "%s": the list of what an extended read passed over
  ExtReadStopped,           // help pane, "%s": why an extended read stopped
  ExtPassRotary,            // "%s": blocks; one item of the list
  ExtPassTiltedPlane,       // "%s": blocks
  ExtPassFeedPerRev,        // "%s": blocks
  ExtPassLatheCycle,        // "%s": blocks
  ExtPassInch,              // "%s": blocks
  ExtPassMacro,             // "%s": blocks
  ExtPassUnresolvedCorner,  // "%s": blocks
  ExtPassOther,             // "%s" the reader's key, then "%s" blocks
  ExtPassFirstLine,         // "%s" one item of the list, then "%s" the line of its first block
  // Help pane and notice after a classic read, "%s" blocks then "%s" the first line: blocks the
  // classic rules read differently from a control; the same for a program that looks like the
  // other dialect (an ISO read of a Heidenhain program, a Heidenhain read of an ISO one).
  ClassicReadsDifferently,
  ClassicLooksHeidenhain,
  ClassicLooksIso,

  // ---- Extended reading: parameters and program flow -------------------------------------
  // Why a macro program's run stopped; MacroAtLine follows with the line number.
  MacroAlarm,            // "%s": the alarm number and message the program raised (#3000)
  MacroEndlessLoop,      // "%s": the limit of executed blocks, reached by a loop that never ends
  MacroCallsTooDeep,     // "%s": the nesting limit of subprogram and macro calls
  MacroNoLabel,          // "%s": a block number that GOTO or M97 looks for in vain
  MacroBadExpression,    // "%s": the text of a block whose expression cannot be read
  MacroDivisionByZero,   // division or MOD by zero
  MacroOutOfDomain,      // a function's argument outside its range (SQRT of a negative, ...)
  MacroBadVariable,      // a variable number outside #0-#999999, or an assignment to #0
  MacroUnmatched,        // "%s": a loop, branch or subprogram end without its partner
  MacroAtLine,           // "%s": the line number, appended to the reasons above
  ExtPassCallNotInFile,  // "%s": blocks calling a subprogram that the file does not hold
  // "%s": blocks; items of the list of what an extended read passed over
  ExtPassArcWithoutCentre,
  ExtPassBadArc,
  ExtPassCoordTransform,
  ExtPassCycle,
  ExtPassDatumTable,
  ExtPassFkContour,
  ExtPassFormula,
  ExtPassMachineDatum,
  ExtPassMissingLabel,
  ExtPassProgramCall,
  ExtPassRotation,
  ExtPassFeedLimited,   // "%s": blocks whose feed a record cannot hold, stored limited
  ExtPassCoordLimited,  // "%s": blocks whose coordinates a record cannot hold, limited
  ExtPassInverseTime,   // "%s": blocks with G93 inverse time feed
  ExtPassGNotRun,       // "%s" the G code's number, then "%s" blocks: blocks not run
  ClassicReadLimited,   // help pane, "%s": the list of what a classic read limited
  CutFeedNotWritable,   // "%s" feed, "%s" record number, "%s" where: nothing written
  ExtPassFnFunction,

  // ---- Editing -----------------------------------------------------------------------------
  StoreFull,  // an editing command's result does not fit in the point store: nothing changed
  // An offset would carry points beyond the coordinates a record holds: nothing changed.
  OffsetOutOfRange,
  // A move, turn, mirror or scale would carry points beyond the coordinates a record holds.
  TransformOutOfRange,
  // A point file refused as a whole (the file and line follow on a line of their own).
  PointFileBadVertex,        // a vertex that is not a finite number
  PointFileTooManyVertices,  // a polygon beyond its vertex limit, or too many in all
  PointFileTooManyPolygons,  // more polygons than a point file may hold

  // ---- Machine time --------------------------------------------------------------------------
  MachineSettingsRefused,  // machine.par could not be taken; %s: the file and why
  TipMachineTime,          // status tip of the machine time in the toolpath information

  // ---- The NC program beside the view ------------------------------------------------------
  TipSourcePane,      // status tip of the View menu item that shows or hides the pane
  SourceMadeByEdit,   // the picked record has no source line: an edit made it
  SourceFileChanged,  // "%s": the program changed since it was read; its lines do not match
  SourceUnreadable,   // "%s": the program cannot be read
  SourceNoMove,       // the block under the cursor made no move of the toolpath
  // ---- Feed chart --------------------------------------------------------------------------
  TipFeedPlot,  // status tip of the View menu's "Feed 그래프"
  // ---- Help --------------------------------------------------------------------------------
  ManualNotFound,  // the file error, followed by the folders where the manual was looked for
  // ---- The setup around the toolpath, templates and stopped output -----------------------
  VerifySetupDiffers,  // "%s" the source's units and work offset, "%s" those read back
  TemplateMissing,     // the post-processor template file does not exist: nothing is written
  KeepPartialOutput,   // asked after a stop: keep what was written, closed where it stopped?
  NothingToWrite,      // save or post of a toolpath without a single move: nothing is written
  FileHoldsNoMoves,    // an empty file refused at load (the file follows): the layer is kept
  // ---- Desktop: the view's fit, the language, the close question ----------------------------
  TipFitMargin,  // status tip of the View menu's fit with a free border (the toolbar's fit)
  ButtonSave,    // the buttons of the question before unwritten changes are lost
  ButtonDiscard,
  ButtonCancel,
  LanguageSystem,  // the work environment's language choice: follow the system's language
  LanguageKorean,  // the three languages by name
  LanguageEnglish,
  LanguageJapanese,
  TipLanguage,  // status tip of the language choice
  // ---- Undo and redo: what they say, and the names of the commands they take back --------
  UndoStep,        // said after undo: %s the command taken back
  RedoStep,        // said after redo: %s the command put back
  NothingToUndo,   // undo found no step
  NothingToRedo,   // redo found no step
  EditSummary,     // help line after an edit: %s the command, %u points before and after, %u arcs
  CmdUnnamed,      // a step recorded without a name
  CmdLoad,         // "load NC program"
  CmdDeleteAll,    // "delete all paths"
  CmdTrimInside,   // "trim inside"
  CmdTrimOutside,  // "trim outside"
  CmdDeletePoint,  // "delete point"
  CmdDeletePath,   // "delete path"
  CmdDeleteEverySecond,     // "delete every second path"
  CmdDeleteInWindows,       // "delete inside windows"
  CmdDeleteInPolygon,       // "delete inside polygon"
  CmdDeleteXyAngle,         // "delete by XY direction"
  CmdDeletePointsByLength,  // "long moves to rapids"
  CmdDeletePathsByLength,   // "delete short paths"
  CmdDeleteZAngle,          // "delete by slope"
  CmdDeleteSelected,        // "delete selected moves"
  CmdReverse,               // "reverse paths"
  CmdReversePath,           // "reverse one path"
  CmdStartPoints,           // "start points"
  CmdSort,                  // "sort paths"
  CmdZUpDown,               // "Z up to Z down"
  CmdTransform,             // "move/copy"
  CmdLinearFilter,          // "linear filter"
  CmdArcFilter,             // "arc filter"
  CmdSubdivide,             // "subdivide"
  CmdArcConvert,            // "arc conversion"
  CmdArcSimplify,           // "simplify to lines and arcs"
  CmdOffset,                // "offset points"
  CmdFace,                  // "face milling"
  CmdRadial,                // "radial cuts"
  CmdSpiral,                // "spiral"
  CmdRapidRebuild,          // "rapid rebuild"
  CmdRegenerate,            // "regenerate"
  CmdFeedChange,            // "feed change"
  CmdFeedOptimizer,         // "feed optimiser"
  CmdMasterModel,           // "build master model"
  CmdMaterialFeeds,         // "feeds from the material"
  CmdEditText,              // "edit program text"
  CmdRenumber,              // "renumber blocks"
  CmdTextFromToolpath,      // "program text from the toolpath"
  TextNoLongerToolpath,     // the program text no longer describes the toolpath (%s: the command)
  // ---- Desktop: the cutting simulation --------------------------------------------------------
  TipSimulate,            // status tip of the View menu's cutting simulation
  TipShowMachinedPart,    // status tip of the toggle that shows or hides the machined part
  SimulationProgress,     // help line while it runs: %d percent done
  SimulationStopped,      // help line after Escape stopped it
  SimulationRefused,      // message: %s why it cannot run
  SimulationSummary,      // help line after a run: volume, rapid collisions, first, air cuts
  SimulationNoCollision,  // the "first" of the summary when no rapid went through material
  SimulationMoveShown,    // the slider: %u move of %u, record %u, %.3f mm^3 that move took
  SimulationStale,        // the slider's dock when the toolpath changed since the run
  // ---- The program pane as an editor -------------------------------------------------------
  TipProgramEdit,          // status tip of the View menu item that switches the pane to editing
  EditorEdit,              // the pane's editing toggle
  EditorApply,             // apply the pending line change now
  EditorFind,              // find the pattern
  EditorReplace,           // replace the match under the cursor
  EditorReplaceAll,        // replace every match
  EditorRegex,             // the pattern is a regular expression
  EditorGoToLine,          // go to line (caption)
  EditorLinePrompt,        // "Line (1 to %s):"
  EditorRenumber,          // renumber the blocks (button and dialog caption)
  EditorRenumberStart,     // first block number
  EditorRenumberStep,      // step between block numbers
  EditorRenumberEvery,     // number every block, not only where an N word is
  EditorSaveText,          // write the text as edited to its file
  EditorNotFound,          // "%s" was not found
  EditorReplaced,          // %s replacements made
  EditorBadPattern,        // the pattern is no valid regular expression; %s: why
  TextReplaceWithWritten,  // the text becomes the program as the writer writes the toolpath
  TextKeep,                // the text stays as it is
  TextWriteCaption,        // caption of the file choice for the written program

  Count
};

// The text of an entry in a language. Never null: an id outside the table gives "", a
// language outside the three gives the English version (as start-up does for every system
// language other than Korean and Japanese).
const char* UserText(Txt id, Language lang);

// The entry's name as written in the enum ("CannotOpenFile"); "" for an id outside the table.
const char* TxtName(Txt id);

// Finds an entry by its name, compared without regard to case, or by its decimal index.
// Returns false and leaves `out` unchanged when nothing matches.
bool FindTxt(std::string_view nameOrIndex, Txt& out);

}  // namespace trevalon
