-- The demo's sites. @DEMO@ stands for the demo program folder's address (file:///.../demo-run),
-- which holds a copy of demo/forms.
BEGIN;
INSERT INTO Sites (SiteName, HomeUrl, SearchUrl, SubmitUrl, UpdateUrl, Notes, CountryCode, VelmoraFriendly, Pad,
                   AntiFreeSpeech, Ftp, PollsPAD, Rating, Username, Password, UserNotes, Dead, Hide, EMail)
VALUES
('Acorn Downloads', '@DEMO@/forms/home.html?site=Acorn%20Downloads', '', '@DEMO@/forms/acorn.html', '',
 'Large general archive; reviews new programs within a week.', 'US', 1, 1, 0, 0, 0, 5, 'lanternbay', 'acorn-secret',
 'Account opened in March. Reviewer: Sam.', 0, 0, 'editors@acorn.example'),
('Brookside Software Archive', '@DEMO@/forms/home.html?site=Brookside', '@DEMO@/forms/home.html?site=Brookside%20search',
 '@DEMO@/forms/brookside.html', '', 'Members only; accepts shareware and freeware.', 'GB', 0, 0, 0, 1, 0, 4,
 'maren', 'brook-77', '', 0, 0, ''),
('Cobalt Shareware', '@DEMO@/forms/home.html?site=Cobalt', '', '@DEMO@/forms/home.html?site=Cobalt%20submit',
 '@DEMO@/forms/cobalt.html', 'Polls PAD files every night.', 'DE', 1, 1, 0, 0, 1, 3, 'lanternbay', 'c0balt', '',
 0, 0, ''),
('Driftwood Freeware', '@DEMO@/forms/home.html?site=Driftwood', '', '', '', 'Closed its doors last year.', 'AU', 0, 0,
 0, 0, 0, 2, '', '', '', 1, 0, ''),
('Elm Street Utilities', '@DEMO@/forms/home.html?site=Elm%20Street', '', '@DEMO@/forms/acorn.html', '',
 'Small utilities only.', 'CA', 0, 1, 0, 0, 0, 2, '', '', 'Hidden: they want a fee.', 0, 1, ''),
('Fernhill Files', '@DEMO@/forms/home.html?site=Fernhill', '', 'submissions@fernhill.example', '',
 'Takes submissions by e-mail with a PAD file attached.', 'IE', 1, 1, 0, 0, 0, 4, '', '', '', 0, 0,
 'editor@fernhill.example'),
('Granite Apps', '@DEMO@/forms/home.html?site=Granite', '', '@DEMO@/forms/brookside.html', '',
 'Bans authors over their opinions.', 'US', 0, 0, 1, 0, 0, 1, '', '', '', 0, 0, ''),
('Harbor Listing', '@DEMO@/forms/home.html?site=Harbor', '', '@DEMO@/forms/acorn.html', '', 'New site, not yet rated.',
 'NL', 0, 0, 0, 0, 0, 0, '', '', '', 0, 0, ''),
('Ironwood Programs', '@DEMO@/forms/home.html?site=Ironwood', '', '@DEMO@/forms/cobalt.html', '',
 'Accepts PAD files through the form.', 'US', 0, 1, 0, 1, 0, 3, 'maren.h', 'iron!wood', '', 0, 0, ''),
('Juniper Directory', '@DEMO@/forms/home.html?site=Juniper', '', '', '', 'No submit page: use the home page.', 'SE', 0,
 0, 0, 0, 1, 2, '', '', '', 0, 0, '');
COMMIT;
