// Renders the two teams of the demo installation below
// Containers/Teams/: for each its roster Team.xml (ISO-8859-1, as the
// console's new-team file), its logo.png and one small picture per player
// in Spieler/ (a silhouette with the player's initials and number), in
// Debian's Chromium (playwright-core).
//
//   node scripts/demo-teams.mjs [demo folder]
import { mkdirSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const demo = path.resolve(process.argv[2] || path.join(root, 'demo'));

// Number, first name, last name, height, date of birth, match report slot
// (0: not on the report).
const teams = {
  'FC Nordhafen': {
    short: 'FCN', main: '#0b2e59', accent: '#ffffff', trim: '#4fc3f7',
    players: [
      [1, 'Jonas', 'Krüger', 191, '14.02.1995', 1], [2, 'Lukas', 'Petersen', 182, '03.07.1998', 2],
      [3, 'Finn', 'Hansen', 185, '22.11.1999', 3], [4, 'Malte', 'Jensen', 188, '09.05.1996', 4],
      [5, 'Timo', 'Claußen', 184, '30.01.1997', 5], [6, 'Niklas', 'Brandt', 179, '17.08.2000', 6],
      [7, 'Ole', 'Sörensen', 176, '05.04.2001', 7], [8, 'Jannik', 'Voss', 180, '26.09.1998', 8],
      [9, 'Henrik', 'Lüders', 187, '11.12.1994', 9], [10, 'Mats', 'Carstens', 177, '08.03.1999', 10],
      [11, 'Tjark', 'Iversen', 181, '19.06.2002', 11], [12, 'Bjarne', 'Thiessen', 193, '02.10.2000', 12],
      [14, 'Hauke', 'Möller', 183, '27.07.1997', 13], [17, 'Lasse', 'Paulsen', 178, '15.01.2003', 14],
      [19, 'Sönke', 'Martens', 186, '04.11.1996', 0], [21, 'Keno', 'Albers', 175, '23.05.2004', 0],
    ],
  },
  'SV Lindenau': {
    short: 'SVL', main: '#1b5e20', accent: '#ffd600', trim: '#a5d6a7',
    players: [
      [1, 'Felix', 'Richter', 190, '12.03.1996', 1], [2, 'Paul', 'Schneider', 181, '28.08.1998', 2],
      [3, 'Moritz', 'Zimmermann', 186, '06.12.1997', 3], [4, 'Leon', 'Hoffmann', 189, '21.04.1999', 4],
      [5, 'Tim', 'Wagner', 183, '14.10.1995', 5], [6, 'Erik', 'Schubert', 180, '01.02.2001', 6],
      [7, 'Max', 'Lehmann', 174, '18.06.2000', 7], [8, 'Tobias', 'Köhler', 182, '09.09.1997', 8],
      [9, 'Florian', 'Böhme', 188, '25.01.1998', 9], [10, 'Julian', 'Fuchs', 178, '07.07.2002', 10],
      [11, 'Philipp', 'Günther', 179, '30.11.1999', 11], [12, 'Simon', 'Krause', 192, '16.05.2001', 12],
      [13, 'David', 'Franke', 184, '03.03.2003', 13], [16, 'Kevin', 'Lorenz', 177, '22.08.1996', 14],
      [18, 'Marcel', 'Engel', 185, '10.12.2000', 0], [22, 'Dominik', 'Seidel', 181, '29.04.2004', 0],
    ],
  },
};

// The picture file of a player: last and first name, plain ASCII letters.
const plainName = (s) => s.toLowerCase().replace(/ä/g, 'ae').replace(/ö/g, 'oe').replace(/ü/g, 'ue')
  .replace(/ß/g, 'ss').replace(/[^a-z0-9]/g, '');
const pictureOf = ([nr, first, last]) => `${String(nr).padStart(2, '0')}_${plainName(last)}_${plainName(first)}.jpg`;

const xmlText = (s) => String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
const htmlText = xmlText;

function roster(team) {
  const fields = ['Nr', 'Vorname', 'Nachname', 'Grösse', 'GebDatum', 'Bild', 'SpNr', 'SpBerNr', 'Aktiv', 'Reserve'];
  const player = (values) => ['  <player>', ...fields.map((f, i) => `    <${f}>${xmlText(values[i])}</${f}>`), '  </player>'];
  const lines = ['<?xml version="1.0" encoding="ISO-8859-1" ?>', '<team>',
    ...player(fields.map((f) => (f === 'Reserve' ? '-' : f)))];
  for (const p of team.players) {
    const [nr, first, last, height, born, slot] = p;
    lines.push(...player([nr, first, last, height, born, pictureOf(p), nr, slot, slot ? 'Ja' : 'Nein', '-']));
  }
  lines.push('</team>', '');
  return Buffer.from(lines.join('\r\n'), 'latin1');
}

const page = (style, body) => `<!DOCTYPE html><html><head><meta charset="utf-8"><style>
  html, body { margin: 0; width: 100%; height: 100%; overflow: hidden; }
  body { font-family: "DejaVu Sans", Arial, sans-serif; position: relative; }${style}</style></head><body>${body}</body></html>`;

const logo = (team) => page(`
  body { display: flex; align-items: center; justify-content: center; background: transparent; }
  .shield { width: 200px; height: 230px; background: ${team.main}; border: 10px solid ${team.accent};
            border-radius: 18px 18px 50% 50% / 18px 18px 38% 38%; display: flex; flex-direction: column;
            align-items: center; justify-content: center; color: ${team.accent}; box-sizing: border-box; }
  .short { font-size: 64px; font-weight: bold; letter-spacing: 2px; }
  .bar { width: 120px; height: 10px; background: ${team.trim}; margin: 10px 0; border-radius: 5px; }
  .year { font-size: 26px; font-weight: bold; }`,
`<div class="shield"><div class="short">${team.short}</div><div class="bar"></div><div class="year">1921</div></div>`);

const portrait = (team, [nr, first, last]) => page(`
  body { background: linear-gradient(160deg, ${team.trim} 0%, ${team.main} 70%); }
  .head { position: absolute; left: 42px; top: 34px; width: 56px; height: 64px; border-radius: 50%; background: #f1f3f5; }
  .body { position: absolute; left: 14px; top: 104px; width: 112px; height: 120px; border-radius: 56px 56px 0 0;
          background: ${team.accent}; }
  .ini { position: absolute; left: 0; right: 0; top: 120px; text-align: center; font-size: 34px; font-weight: bold;
         color: ${team.main}; }
  .nr { position: absolute; right: 8px; top: 6px; font-size: 22px; font-weight: bold; color: #fff; }
  .name { position: absolute; left: 0; right: 0; bottom: 8px; text-align: center; font-size: 13px; color: ${team.main};
          font-weight: bold; }`,
`<div class="head"></div><div class="body"></div><div class="nr">${nr}</div>
 <div class="ini">${htmlText(first[0] + last[0])}</div><div class="name">${htmlText(last)}</div>`);

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking'],
});
try {
  for (const [name, team] of Object.entries(teams)) {
    const folder = path.join(demo, 'Containers/Teams', name);
    mkdirSync(path.join(folder, 'Spieler'), { recursive: true });
    writeFileSync(path.join(folder, 'Team.xml'), roster(team));
    const p = await browser.newPage({ viewport: { width: 240, height: 260 } });
    await p.setContent(logo(team));
    await p.screenshot({ path: path.join(folder, 'logo.png'), omitBackground: true });
    await p.setViewportSize({ width: 140, height: 200 });
    for (const player of team.players) {
      await p.setContent(portrait(team, player));
      await p.screenshot({ path: path.join(folder, 'Spieler', pictureOf(player)), type: 'jpeg', quality: 80 });
    }
    await p.close();
  }
} finally {
  await browser.close();
}
