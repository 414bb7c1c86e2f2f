// Renders the pictures, the touch-menu buttons, the house rules, the intro
// video, the library's gallery and a silent MP3 of the demo installation
// from the small pages below, in Debian's Chromium (playwright-core), at
// the sizes of the demo's frames:
// every frame of the Arena and Foyer layouts is 4:3, so one 4:3 picture
// fits each frame it is shown in. The GIF and the BMP need netpbm (pngtopnm,
// pnmquant, ppmtogif, ppmtobmp).
//
//   node scripts/demo-media.mjs [demo folder]
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const demo = path.resolve(process.argv[2] || path.join(root, 'demo'));

// The one match of the demo day: every text that names it says this.
const MATCH = 'FC Nordhafen – SV Lindenau';
const KICK_OFF = '15:30';

const base = `
  html, body { margin: 0; width: 100%; height: 100%; overflow: hidden; }
  body { font-family: "DejaVu Sans", Arial, sans-serif; color: #fff;
         display: flex; flex-direction: column; align-items: center; justify-content: center; text-align: center; }`;

const page = (style, body) => `<!DOCTYPE html><html><head><meta charset="utf-8"><style>${base}${style}</style></head><body>${body}</body></html>`;

const pictures = {
  'Containers/Bilder/Willkommen.png': page(`
    body { background: linear-gradient(#0b1f5e, #02040c); }
    h1 { font-size: 150px; line-height: 1.05; margin: 0 0 50px; font-weight: bold; }
    p { font-size: 64px; margin: 0; color: #a9b8ff; }
    .bar { width: 360px; height: 10px; background: #ffc107; margin: 0 0 50px; border-radius: 5px; }`,
  `<h1>Willkommen<br>im Stadion</h1><div class="bar"></div><p>Tessarine Sportpark</p>`),

  'Containers/Bilder/Anstoss.jpg': page(`
    body { background: repeating-linear-gradient(90deg, #2e7d32 0 120px, #388e3c 120px 240px); }
    .lines { position: absolute; inset: 60px; border: 8px solid rgba(255,255,255,.85); }
    .lines::before { content: ""; position: absolute; left: 50%; top: 0; bottom: 0; border-left: 8px solid rgba(255,255,255,.85); }
    .lines::after { content: ""; position: absolute; left: 50%; top: 50%; width: 300px; height: 300px; margin: -154px 0 0 -154px;
                    border: 8px solid rgba(255,255,255,.85); border-radius: 50%; }
    .card { position: relative; background: rgba(10, 30, 12, .82); border-radius: 36px; padding: 60px 90px; }
    .what { font-size: 80px; font-weight: bold; margin: 0; color: #ffc107; letter-spacing: .04em; }
    .time { font-size: 230px; font-weight: bold; margin: 0; line-height: 1.05; }
    .who { font-size: 64px; margin: 20px 0 0; }`,
  `<div class="lines"></div><div class="card"><p class="what">ANSTOSS</p><p class="time">${KICK_OFF}</p><p class="who">${MATCH}</p></div>`),

  'Containers/Bilder/Sponsor.jpg': page(`
    body { background: linear-gradient(135deg, #f7a21b 0%, #f4511e 55%, #7b1fa2 100%); }
    .band { background: rgba(255,255,255,.93); width: 130%; padding: 80px 0; transform: rotate(-3deg); }
    h1 { font-size: 112px; line-height: 1.15; margin: 0; color: #171a44; }
    p { font-size: 70px; margin: 40px 0 0; color: #333a78; }
    .dot { position: absolute; border-radius: 50%; }`,
  `<div class="dot" style="right:90px;top:80px;width:220px;height:220px;background:#00b0ff"></div>
   <div class="dot" style="left:110px;bottom:90px;width:150px;height:150px;background:#76ff03"></div>
   <div class="band"><h1>Tessarine Sportpark<br>Ihr Partner</h1><p>Sport · Freizeit · Gemeinschaft</p></div>`),
};

const logo = page(`
  body { background: #0e47a1; }
  .ring { width: 400px; height: 400px; border: 36px solid #ffc107; border-radius: 50%;
          display: flex; align-items: center; justify-content: center; }
  .ring span { font-size: 210px; font-weight: bold; }`,
`<div class="ring"><span>J8</span></div>`);

const rules = ['Das Mitbringen von Pyrotechnik und Glasflaschen ist untersagt.',
  'Den Anweisungen des Ordnungsdienstes ist Folge zu leisten.',
  'Rettungswege und Treppen sind jederzeit freizuhalten.',
  'Tiere sind im Stadion nicht erlaubt (ausgenommen Assistenzhunde).',
  'Fairness und Respekt gegenüber allen Fans und Teams.'];
const houseRules = page(`
  @page { size: 1024px 768px; margin: 0; }
  body { background: #0d1f5c; display: block; text-align: left; padding: 56px 80px; box-sizing: border-box; }
  h1 { font-size: 60px; margin: 0 0 16px; }
  .bar { height: 8px; background: #ffc107; margin-bottom: 36px; }
  ol { font-size: 30px; line-height: 1.3; margin: 0; padding-left: 48px; }
  li { margin-bottom: 14px; }
  footer { position: absolute; left: 80px; bottom: 36px; font-size: 24px; color: #a9b8ff; }`,
`<h1>Stadionordnung</h1><div class="bar"></div><ol>${rules.map((r) => `<li>${r}</li>`).join('')}</ol>
 <footer>Tessarine Sportpark</footer>`);

// Button pictures of the touch menus: the normal one and, with "_sel", the
// one shown while pressed.
const buttons = { sponsor: 'Sponsor', info: 'Info', mehr: 'Mehr', neustart: 'Neustart', anstoss: 'Anstoß', zurueck: 'Zurück' };
const button = (text, pressed) => page(`
  body { background: ${pressed ? '#ffc107' : '#1f4e79'}; color: ${pressed ? '#102040' : '#fff'};
         box-sizing: border-box; border: 3px solid ${pressed ? '#fff3c4' : '#9cc3ea'}; }
  span { font-size: 46px; font-weight: bold; }`, `<span>${text}</span>`);
const menuBackground = page(`body { background: linear-gradient(#2b3a5c, #0b1322); }`, '');

// Four seconds of the intro: the title grows in, the match slides up.
const intro = `<!DOCTYPE html><html><body style="margin:0;background:#000"><canvas id="c" width="1440" height="1080"></canvas><script>
  window.record = async () => {
    const c = document.getElementById('c'), g = c.getContext('2d');
    const draw = (t) => {
      const sky = g.createLinearGradient(0, 0, 0, 1080);
      sky.addColorStop(0, '#0b1f5e'); sky.addColorStop(1, '#02040c');
      g.fillStyle = sky; g.fillRect(0, 0, 1440, 1080);
      for (let i = 0; i < 12; i++) {
        const x = (i * 160 + t * 240) % 1760 - 160;
        g.fillStyle = 'rgba(255,193,7,' + (0.10 + 0.05 * (i % 3)) + ')';
        g.beginPath(); g.arc(x, 180 + (i % 4) * 230, 60 + (i % 3) * 30, 0, 2 * Math.PI); g.fill();
      }
      const k = Math.min(1, t / 1.2);
      g.fillStyle = '#fff'; g.textAlign = 'center'; g.textBaseline = 'middle';
      g.font = 'bold ' + Math.round(80 + 80 * k) + 'px "DejaVu Sans"';
      g.fillText('Heimspiel', 720, 430);
      const m = Math.min(1, Math.max(0, (t - 1) / 1));
      g.globalAlpha = m; g.font = '64px "DejaVu Sans"'; g.fillStyle = '#a9b8ff';
      g.fillText(${JSON.stringify(MATCH)}, 720, 640 + 60 * (1 - m));
      g.fillStyle = '#ffc107'; g.font = 'bold 72px "DejaVu Sans"';
      g.fillText(${JSON.stringify('Anstoß ' + KICK_OFF + ' Uhr')}, 720, 770 + 60 * (1 - m));
      g.globalAlpha = 1;
    };
    draw(0);
    const rec = new MediaRecorder(c.captureStream(25), { mimeType: 'video/mp4;codecs=avc1', videoBitsPerSecond: 2500000 });
    const parts = [];
    rec.ondataavailable = (e) => parts.push(e.data);
    const stopped = new Promise((r) => { rec.onstop = r; });
    rec.start();
    const t0 = performance.now();
    await new Promise((done) => {
      const frame = () => {
        const t = (performance.now() - t0) / 1000;
        draw(Math.min(t, 4));
        if (t < 4) requestAnimationFrame(frame); else done();
      };
      requestAnimationFrame(frame);
    });
    rec.stop();
    await stopped;
    const bytes = new Uint8Array(await new Blob(parts).arrayBuffer());
    let s = '';
    for (let i = 0; i < bytes.length; i += 0x8000) s += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    return btoa(s);
  };
</script></body></html>`;

// The gallery of the media library: a picture of every kind the library
// lists, a folder three levels down and a file name with two dots.
const gallery = {
  'Containers/Bilder/Galerie/Tribuene.jpeg': page(`
    body { background: linear-gradient(#37474f, #102027); }
    h1 { font-size: 140px; margin: 0; } p { font-size: 60px; color: #ffc107; margin: 30px 0 0; }`,
  `<h1>Haupttribüne</h1><p>Block A bis F</p>`),
  'Containers/Bilder/Galerie/Fans.2025.png': page(`
    body { background: radial-gradient(circle at 50% 40%, #c62828, #3e0000); }
    h1 { font-size: 150px; margin: 0; } p { font-size: 60px; margin: 30px 0 0; }`,
  `<h1>Danke, Fans!</h1><p>Saison 2025</p>`),
};
const teamPicture = page(`
  body { background: linear-gradient(#1b5e20, #003300); }
  h1 { font-size: 44px; margin: 0; } p { font-size: 22px; margin: 10px 0 0; color: #c8e6c9; }`,
`<h1>Mannschaft</h1><p>${MATCH.split(' – ')[0]}, Saison 2025</p>`);

// A second of silence as MPEG-1 Layer III: frames of 128 kbit/s, 44.1 kHz,
// mono, whose side information and data are all zero.
function silentMp3(seconds) {
  const frame = Buffer.alloc(417);
  frame.set([0xff, 0xfb, 0x90, 0xc0]);
  return Buffer.concat(Array.from({ length: Math.ceil(seconds * 44100 / 1152) }, () => frame));
}

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--autoplay-policy=no-user-gesture-required'],
});
const tmp = mkdtempSync(path.join(os.tmpdir(), 'demo-media-'));
try {
  const shoot = async (html, width, height, file) => {
    const p = await browser.newPage({ viewport: { width, height } });
    await p.setContent(html);
    const out = path.join(demo, file);
    const type = /\.jpe?g$/.test(file) ? 'jpeg' : 'png';
    await p.screenshot({ path: out, type, ...(type === 'jpeg' ? { quality: 88 } : {}) });
    await p.close();
    return out;
  };
  for (const [file, html] of Object.entries(pictures)) await shoot(html, 1440, 1080, file);
  for (const [name, text] of Object.entries(buttons)) {
    await shoot(button(text, false), 300, 120, `files/navi/${name}.png`);
    await shoot(button(text, true), 300, 120, `files/navi/${name}_sel.png`);
  }
  await shoot(menuBackground, 480, 1080, 'files/navi/hintergrund.png');
  for (const [file, html] of Object.entries(gallery)) {
    mkdirSync(path.dirname(path.join(demo, file)), { recursive: true });
    await shoot(html, 1440, 1080, file);
  }
  const teamPng = path.join(tmp, 'team.png');
  await shoot(teamPicture, 320, 240, path.relative(demo, teamPng));
  const bmp = path.join(demo, 'Containers/Bilder/Galerie/Saison 2025/Mannschaft.bmp');
  mkdirSync(path.dirname(bmp), { recursive: true });
  writeFileSync(bmp, execFileSync('ppmtobmp', [], { input: execFileSync('pngtopnm', [teamPng]), stdio: ['pipe', 'pipe', 'ignore'] }));
  mkdirSync(path.join(demo, 'Containers/Audio'), { recursive: true });
  writeFileSync(path.join(demo, 'Containers/Audio/Einlauf.mp3'), silentMp3(2));

  const p = await browser.newPage({ viewport: { width: 640, height: 480 } });
  await p.setContent(logo);
  const png = path.join(tmp, 'logo.png');
  await p.screenshot({ path: png });
  const ppm = execFileSync('pngtopnm', [png]);
  const quantised = execFileSync('pnmquant', ['256'], { input: ppm, stdio: ['pipe', 'pipe', 'ignore'] });
  writeFileSync(path.join(demo, 'Containers/Bilder/Logo.gif'),
    execFileSync('ppmtogif', [], { input: quantised, stdio: ['pipe', 'pipe', 'ignore'] }));

  await p.setContent(houseRules);
  await p.pdf({ path: path.join(demo, 'Containers/Dokumente/Hausordnung.pdf'), width: '1024px', height: '768px', printBackground: true });

  await p.setContent(intro);
  writeFileSync(path.join(demo, 'Containers/Videos/Intro.mp4'), Buffer.from(await p.evaluate(() => window.record()), 'base64'));
  await p.close();
} finally {
  await browser.close();
  rmSync(tmp, { recursive: true, force: true });
}
