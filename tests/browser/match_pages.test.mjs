// The demo's match pages on a display of the arena: the match day saved in
// the console reaches the screen through the quick-start list, and a player
// presentation plays from the playlist and the document whose names carry
// an umlaut. What operators typed is shown as text.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { writeFileSync } from 'node:fs';
import path from 'node:path';
import { Harness, SCREEN, component, useProgramServer } from './support.mjs';

const demo = useProgramServer(Harness);

async function settled(page) {
  await page.waitForFunction(() => {
    const s = window.Tess && window.Tess.state();
    return s && !s.inflight && s.queued === 0;
  });
}

async function arenaDisplay() {
  const display = await demo.browser.newPage();
  await display.setViewportSize(SCREEN);
  await display.goto(demo.server.url('?standort=Arena'));
  return display;
}

// The page a display shows in frame 1, once it has one whose address
// begins with `page`.
async function frameOne(display, page) {
  const iframe = await display.waitForFunction((src) => {
    const f = document.querySelector(`[data-component="panF1"] iframe[src^="${src}"]`);
    return f && f.getBoundingClientRect().width > 0 && f;
  }, page);
  return iframe.asElement().contentFrame();
}

test('the match day saved in the console reaches the display through the quick-start list', async () => {
  const display = await arenaDisplay();
  const console = await demo.browser.newPage({ viewport: { width: 1600, height: 900 } });
  try {
    await console.goto(demo.server.url('?start=tessarine'));
    await component(console, 'edtLoginUser').locator('input').fill('profi');
    await component(console, 'edtLoginPW').locator('input').fill('stadion2025');
    await component(console, 'btnLoginOK').click();
    await console.waitForFunction(() => Object.values(window.Tess.core.byId)
      .some((c) => c.name === 'timerGo' && c.p.enabled === false));
    await settled(console);

    await console.locator('.tess-tab:visible', { hasText: 'Matchday' }).first().click();
    const typed = {
      edtMZus: '12.480', edtMStunde: '23', edtMMin: '59', edtMHead: '<b>Familientag</b>',
      edtMBody: 'Anreise mit Bus & Bahn', edtMSiri: 'Jürgen Weiß', edtMAss: 'M. Kaya, T. Brandt', edtMZusatz: 'S. Ehrlich',
    };
    for (const [edit, text] of Object.entries(typed)) await component(console, edit).locator('input').fill(text);
    await component(console, 'btnMatchSave').click();
    await settled(console);

    await console.locator('.tess-tab:visible', { hasText: 'Spielstand' }).first().click();
    await component(console, 'listQS').locator('.tess-list-item', { hasText: 'Spieltag' }).click();
    await component(console, 'btnQSPlay').click();
    const page = await frameOne(display, 'Containers/System/files/Matchday.html');
    await page.waitForFunction(() => document.getElementById('zuseher').textContent === '12.480');
    assert.equal(await page.locator('#info1').textContent(), '<b>Familientag</b>', 'typed markup stays text');
    assert.equal(await page.locator('#info1 b').count(), 0);
    assert.equal(await page.locator('#schiedsrichter').textContent(), 'Jürgen Weiß');
    assert.equal(await page.locator('#var').textContent(), 'S. Ehrlich');
    assert.equal(await page.locator('#teamHeim').textContent(), 'FC Nordhafen', 'the start-up gave the panels the teams');
    // The kick-off at 23:59 on the server's clock: counted down, not yet reached
    // (unless this runs in the last minute of the day).
    await page.waitForFunction(() => /^(\d+:)?\d\d:\d\d$|^Anpfiff!$/.test(document.getElementById('countdown').textContent));
    assert.equal(await page.locator('#anstoss').textContent(), 'Anstoß 23:59 Uhr');
  } finally {
    await console.close();
    await display.close();
  }
});

test('a player presentation plays from the playlist and the document named with an umlaut', async () => {
  const files = path.join(demo.folder, 'Containers', 'System', 'files');
  // As the team action dialog saves it: the name typed with markup.
  writeFileSync(path.join(files, 'spielerPräsentation.xml'), '<?xml version="1.0" encoding="UTF-8"?>\r\n' +
    '<spieler><settings><vorname>Ole</vorname><nachname>S&#246;rensen &lt;i&gt;7&lt;/i&gt;</nachname>' +
    '<spielerbild>07_soerensen_ole.jpg</spielerbild><spielernr>7</spielernr><teamname>FC Nordhafen</teamname>' +
    '<type>Spieler</type><team>Heim</team></settings></spieler>');
  const display = await arenaDisplay();
  const asked = [];
  display.on('request', (r) => asked.push(r.url()));
  try {
    // Once the day plan plays in frame 1, the display has its base folder.
    await display.waitForFunction(() => document.querySelector(
      '[data-component="panF1"] img, [data-component="panF1"] iframe, [data-component="panF1"] video'));
    await demo.server.send('command Playlist System\\Spielerheim_Präsentation.pyl');
    const page = await frameOne(display, 'Containers/System/files/Praesentation.html');
    await page.waitForFunction(() => document.querySelector('.name').textContent === 'Ole Sörensen <i>7</i>');
    assert.equal(await page.locator('.name i').count(), 0, 'the name is text');
    assert.equal(await page.locator('.nummer').textContent(), '7');
    await page.waitForFunction(() => {
      const img = document.querySelector('.bild');
      return img.complete && img.naturalWidth > 0;
    });
    assert.ok(asked.some((u) => u.endsWith('/Containers/System/files/spielerPr%C3%A4sentation.xml')),
      'asked for in UTF-8, percent-encoded');
  } finally {
    await display.close();
  }
});
