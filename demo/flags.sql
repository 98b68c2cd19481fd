-- Where the demo's programs stand.
BEGIN;
INSERT INTO ProgSite (ProgramName, SiteName, Submitted, Published, OldVersion, FileID, NotApplicable) VALUES
('NoteNest', 'Acorn Downloads', 1, 1, 0, 'AC-1042', 0),
('NoteNest', 'Brookside Software Archive', 1, 0, 0, '', 0),
('NoteNest', 'Granite Apps', 0, 0, 0, '', 1),
('NoteNest', 'Ironwood Programs', 1, 1, 1, 'IW-77', 0),
('PixelPilot', 'Acorn Downloads', 1, 0, 0, '', 0);
COMMIT;
