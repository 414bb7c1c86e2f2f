// The playlist editor in a real browser: open a demo playlist, move a row
// to the top, save it under a new name, open that one and start it; a
// display open beside the console plays it.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { SCREEN, component, openConsoleTab, useProgramServer } from './support.mjs';

const demo = useProgramServer();

function playlistNode(page, name) {
  return component(page, 'treePls').locator('.tess-node-text', { hasText: new RegExp(`^${name.replace('.', '\\.')}$`) }).first();
}

function gridCell(page, grid, row, col) {
  return component(page, grid).locator(`td[data-r="${row}"][data-c="${col}"]`);
}

async function answerBox(page, button, text) {
  const box = page.locator('.tess-box').last();
  await box.waitFor({ state: 'visible' });
  if (text !== undefined) await box.locator('input').fill(text);
  await box.locator(`button[data-r="${button}"]`).click();
  await box.waitFor({ state: 'detached' });
}

test('an operator moves a row to the top, saves the playlist under a new name and starts it on a display', async () => {
  const display = await demo.browser.newPage();
  await display.setViewportSize(SCREEN);
  await display.goto(demo.server.url('?standort=Arena'));
  await component(display, 'panF1').waitFor({ state: 'visible' });

  const page = await demo.browser.newPage();
  await page.setViewportSize({ width: 1280, height: 800 });
  await openConsoleTab(page, demo.server, 'profi', 'stadion2025', 'Entertainment');

  await playlistNode(page, 'Spieltag.pyl').click();
  await component(page, 'lblPlaylist2').getByText('Spieltag.pyl', { exact: true }).waitFor();
  await gridCell(page, 'Grid1', 3, 2).getByText('Fans.2025.png').waitFor();
  assert.equal(await gridCell(page, 'Grid1', 1, 0).locator('i.fa-html5').count(), 1, 'the web-address row');
  assert.equal(await gridCell(page, 'Grid1', 2, 0).locator('i.fa-file-code').count(), 1, 'the stream row');
  await component(page, 'panFrame2').waitFor({ state: 'visible' });

  // The fourth row to the top through the row menu.
  await gridCell(page, 'Grid1', 3, 2).click();
  await gridCell(page, 'Grid1', 3, 2).click({ button: 'right' });
  await page.locator('.tess-menu-item', { hasText: 'Move To' }).hover();
  await page.locator('.tess-menu-item', { hasText: 'Top' }).click();
  await gridCell(page, 'Grid1', 0, 2).getByText('Fans.2025.png').waitFor();
  assert.equal(await gridCell(page, 'Grid1', 1, 2).textContent(), 'Willkommen.png');
  assert.equal(await gridCell(page, 'Grid1', 0, 1).textContent(), '1', 'numbered again');

  await component(page, 'btnPLSSaveAs').click();
  await answerBox(page, 'ok', 'Fans zuerst');
  await playlistNode(page, 'Fans zuerst.pyl').waitFor({ state: 'visible' });
  const saved = readFileSync(path.join(demo.folder, 'Config', 'Progs', 'Fans zuerst.pyl'), 'latin1').split('\r\n');
  assert.match(saved[0], /^,1,Fans\.2025\.png,00:08,/);
  assert.match(saved[1], /^,2,Willkommen\.png,/);
  assert.equal(await component(page, 'lblPlaylist2').textContent(), 'Spieltag.pyl', 'the editor stays on its playlist');

  await playlistNode(page, 'Fans zuerst.pyl').click();
  await component(page, 'lblPlaylist2').getByText('Fans zuerst.pyl', { exact: true }).waitFor();
  await page.screenshot({ path: `${demo.folder}/../playlist-editor.png` }).catch(() => {});
  await component(page, 'btnPlsPlay').click();

  // Only the new playlist holds this picture.
  const shown = component(display, 'lblF1A').locator('img[src*="Fans.2025.png"]')
    .or(component(display, 'lblF1B').locator('img[src*="Fans.2025.png"]'));
  await shown.first().waitFor({ state: 'visible' });
  await page.close();
  await display.close();
});
